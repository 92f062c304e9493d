#pragma once
// What an operator fixes when building a launcher for a game: its own version and the patch server
// that holds the launcher information file. Both come from the build (CMake cache variables
// VELMORA_LAUNCHER_VERSION and VELMORA_LAUNCHER_SERVER); only the program links this, so a second
// launcher that differs in nothing but its version is one more small library (see
// velmora_launcher_build_settings in launcher/app/CMakeLists.txt).
#include "launcher/app/RestartProcess.h"

#include <string>

// Where the launcher information file lives below the patch server.
constexpr const wchar_t* kLauncherInfoPath = L"/launcher/LauncherContents/";

const wchar_t* LauncherOwnVersion();
// The built-in address, or VELMORA_LAUNCHER_SERVER from the environment when it is set (tests, the
// demo); without a trailing "/".
std::wstring LauncherInfoServerAddress();
// The settings the application gives its restart process.
sRestartSettings LauncherRestartSettings();
