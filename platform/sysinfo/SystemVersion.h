#pragma once
// What the running system says about itself, in the shape of the version record the launcher's
// version checks were written for: platform family, major and minor version, processor architecture,
// product type and suite mask.
#include <cstdint>

namespace platform::sysinfo
{

// Processor architecture numbers of that record.
constexpr uint16_t kArchitectureX86 = 0;
constexpr uint16_t kArchitectureArm = 5;
constexpr uint16_t kArchitectureAmd64 = 9;
constexpr uint16_t kArchitectureArm64 = 12;
constexpr uint16_t kArchitectureUnknown = 0xFFFF;

struct sSystemVersion
{
    // Only the NT family has the workstation/server product types and versions 5.x-6.x; any other
    // system reports its own kernel version here, which must not be read as one of those.
    bool ntFamily = false;
    uint32_t major = 0;
    uint32_t minor = 0;
    uint16_t architecture = kArchitectureUnknown;
    // 1 workstation, 2 domain controller, 3 server; 0 for a system without product types.
    uint8_t productType = 0;
    uint16_t suiteMask = 0;
    // The second release of the 2003 server.
    bool serverR2 = false;
};

// False when the system cannot be asked.
bool ReadSystemVersion(sSystemVersion& out);

// True when the system runs 64-bit programs (whatever this program itself is built as).
bool IsSystem64Bit();

} // namespace platform::sysinfo
