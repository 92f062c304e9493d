#include "launcher/script/WindowsOSVersion.h"

#include "zpak/log/ZpakLog.h"

namespace
{
constexpr const char* kNames[IWindowsOSVersion::kIndexCount] = {
    "UnknownWindows",  "Windows2000",       "WindowsXP",
    "WindowsXPProx64", "WindowsServer2003", "WindowsServer2003R2",
    "WindowsVista",    "WindowsServer2008", "WindowsServer2008R2",
    "Windows7",        "Windows8",
};

constexpr uint8_t kWorkstation = 1;

// Suite masks of the 2003 server editions, compared as whole values.
bool IsServer2003Suite(uint16_t mask)
{
    return mask == 0x2000 || mask == 0x4000 || mask == 0x8000;
}
} // namespace

int IWindowsOSVersion::Classify(const platform::sysinfo::sSystemVersion& v)
{
    if (!v.ntFamily) return 0;
    if (v.major == 5)
    {
        switch (v.minor)
        {
        case 0:
            return 1;
        case 1:
            return 2;
        case 2:
            if (v.serverR2) return 5;
            return IsServer2003Suite(v.suiteMask) ? 4 : 3;
        default:
            return 0;
        }
    }
    if (v.major == 6)
    {
        bool workstation = v.productType == kWorkstation;
        switch (v.minor)
        {
        case 0:
            return workstation ? 6 : 7;
        case 1:
            return workstation ? 9 : 8;
        case 2:
            return workstation ? 10 : 0;
        default:
            return 0;
        }
    }
    return 0;
}

const char* IWindowsOSVersion::IndexName(int index)
{
    return index >= 0 && index < kIndexCount ? kNames[index] : kNames[0];
}

bool IWindowsOSVersion::Detect()
{
    m_index = 0;
    platform::sysinfo::sSystemVersion version;
    if (!platform::sysinfo::ReadSystemVersion(version)) return false;
    ZP::LogF(L"Current Windows Version : Major(%d), Minor(%d), Arc(%d), ProductType(%d)",
             static_cast<int>(version.major), static_cast<int>(version.minor),
             static_cast<int>(version.architecture), static_cast<int>(version.productType));
    m_index = Classify(version);
    return true;
}
