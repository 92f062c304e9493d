#include "platform/process/ProcessList.h"

#include "platform/text/TextCodec.h"

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace platform::process
{
namespace
{
std::string BaseName(std::string path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExecutableName(const std::string& folder)
{
    char target[4096];
    ssize_t n = ::readlink((folder + "/exe").c_str(), target, sizeof(target) - 1);
    if (n > 0)
    {
        std::string path(target, static_cast<size_t>(n));
        // The executable was replaced or deleted while running: the link says so after the name.
        const std::string deleted = " (deleted)";
        if (path.size() > deleted.size() &&
            path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
            path.resize(path.size() - deleted.size());
        return BaseName(path);
    }
    std::ifstream in(folder + "/cmdline", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t end = bytes.find('\0');
    return BaseName(bytes.substr(0, end));
}
} // namespace

bool ListProcesses(std::vector<sProcessEntry>& out)
{
    out.clear();
    DIR* dir = ::opendir("/proc");
    if (!dir) return false;
    while (dirent* e = ::readdir(dir))
    {
        char* end = nullptr;
        unsigned long id = std::strtoul(e->d_name, &end, 10);
        if (id == 0 || !end || *end != '\0') continue;
        std::string name = ExecutableName(std::string("/proc/") + e->d_name);
        if (name.empty()) continue;
        out.push_back({static_cast<uint32_t>(id), text::Utf8ToWide(name)});
    }
    ::closedir(dir);
    return true;
}

uint32_t CurrentProcessId()
{
    return static_cast<uint32_t>(::getpid());
}

} // namespace platform::process
