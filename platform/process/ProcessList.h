#pragma once
// A snapshot of the running processes with their executable names.
#include <cstdint>
#include <string>
#include <vector>

namespace platform::process
{

struct sProcessEntry
{
    uint32_t id = 0;
    // Base name of the executable; of the first argument when the executable cannot be read (a
    // process of another user). Processes with neither (kernel threads, zombies) are not listed.
    std::wstring name;
};

bool ListProcesses(std::vector<sProcessEntry>& out);
uint32_t CurrentProcessId();

} // namespace platform::process
