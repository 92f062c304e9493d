#pragma once
// Points the process log at "Log/LogReport_<date>_<time>.log" beside the executable and switches
// write-through on. Lines logged before this stay held in memory.
#include <string>

void SetupLauncherLog();
// The same with a given folder in place of the executable's (tests, tools).
void SetupLauncherLogIn(const std::wstring& folder);
