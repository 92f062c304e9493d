#pragma once
// Records the game information file fills through the script: one per extra package to install,
// and the names of the script functions that decide about processes already running.
#include "launcher/script/LuaTinker.h"

struct sDistributePackageInfo
{
    lua_tinker::owned_text strInstallFileURL;
    lua_tinker::owned_text strInstallFileName;
    lua_tinker::owned_text strInstallFileNameArguments;
    // A script function answering non-zero when the package is already present.
    lua_tinker::owned_text strCustomCheckFunctionName;
};

struct sLauncherProcessStatusFunction
{
    // Another launcher of the same game runs.
    lua_tinker::owned_text strFunction_LauncherSameGame;
    // Another launcher of another game runs.
    lua_tinker::owned_text strFunction_LauncherNotSameGame;
    // The game client runs.
    lua_tinker::owned_text strFunction_Application;
    // The game's patcher runs.
    lua_tinker::owned_text strFunction_Patcher;

    void Clear()
    {
        strFunction_LauncherSameGame.reset();
        strFunction_LauncherNotSameGame.reset();
        strFunction_Application.reset();
        strFunction_Patcher.reset();
    }
};
