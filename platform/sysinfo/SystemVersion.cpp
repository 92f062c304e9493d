#include "platform/sysinfo/SystemVersion.h"

#include <cstdlib>
#include <cstring>
#include <sys/utsname.h>

namespace platform::sysinfo
{
namespace
{
uint16_t ArchitectureOf(const char* machine)
{
    if (std::strcmp(machine, "x86_64") == 0) return kArchitectureAmd64;
    if (std::strcmp(machine, "aarch64") == 0 || std::strcmp(machine, "arm64") == 0) return kArchitectureArm64;
    if (std::strncmp(machine, "arm", 3) == 0) return kArchitectureArm;
    if (machine[0] == 'i' && std::strcmp(machine + 2, "86") == 0) return kArchitectureX86;
    return kArchitectureUnknown;
}
} // namespace

bool ReadSystemVersion(sSystemVersion& out)
{
    struct utsname names
    {
    };
    if (::uname(&names) != 0) return false;
    out = sSystemVersion{};
    // The kernel release reads "6.1.0-18-amd64": major and minor are its first two numbers.
    char* end = nullptr;
    out.major = static_cast<uint32_t>(std::strtoul(names.release, &end, 10));
    if (end && *end == '.') out.minor = static_cast<uint32_t>(std::strtoul(end + 1, nullptr, 10));
    out.architecture = ArchitectureOf(names.machine);
    return true;
}

bool IsSystem64Bit()
{
    sSystemVersion version;
    if (!ReadSystemVersion(version)) return sizeof(void*) == 8;
    return version.architecture == kArchitectureAmd64 || version.architecture == kArchitectureArm64 ||
           sizeof(void*) == 8;
}

} // namespace platform::sysinfo
