#pragma once
// The operating-system version as the launcher script knows it: one of eleven names of the system
// family the launcher was designed for. A system outside that family is "UnknownWindows", whatever
// its own version numbers are.
#include "platform/sysinfo/SystemVersion.h"

class IWindowsOSVersion
{
public:
    virtual ~IWindowsOSVersion() = default;
    // Reads the running system and logs what it found; false when the system cannot be asked
    // (the index is then 0).
    virtual bool Detect();
    int GetVersionIndex() const { return m_index; }

    // The index 0-10 of a version record.
    static int Classify(const platform::sysinfo::sSystemVersion& version);
    // The name of an index; "UnknownWindows" for one out of range.
    static const char* IndexName(int index);

    static constexpr int kIndexCount = 11;

private:
    int m_index = 0;
};
