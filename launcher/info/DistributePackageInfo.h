#pragma once
// Records the game information file fills through the script: one per extra package to install,
// and the names of the script functions that decide about processes already running.
#include "launcher/info/OwnedText.h"

struct sDistributePackageInfo
{
    COwnedText strInstallFileURL;
    COwnedText strInstallFileName;
    COwnedText strInstallFileNameArguments;
    // A script function answering non-zero when the package is already present.
    COwnedText strCustomCheckFunctionName;
};

struct sLauncherProcessStatusFunction
{
    // Another launcher of the same game runs.
    COwnedText strFunction_LauncherSameGame;
    // Another launcher of another game runs.
    COwnedText strFunction_LauncherNotSameGame;
    // The game client runs.
    COwnedText strFunction_Application;
    // The game's patcher runs.
    COwnedText strFunction_Patcher;

    void Clear()
    {
        strFunction_LauncherSameGame.reset();
        strFunction_LauncherNotSameGame.reset();
        strFunction_Application.reset();
        strFunction_Patcher.reset();
    }
};
