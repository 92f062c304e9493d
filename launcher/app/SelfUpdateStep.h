#pragma once
// The step of the launcher workflow that drives the self-update: it shows what happens in the
// window's status line, lets the restart process compare versions and replace the launcher, and
// tells the user when that fails. The launcher implementation runs it first on the updater thread.
#include "launcher/app/Components.h"

// The waits of the self-update. The status texts stay long enough to be read; the clone gives the
// launcher it replaces time to let go of its files.
struct sSelfUpdateTimes
{
    int checkingTextMs = 1500;   // status "checking the launcher", before the check
    int restartingTextMs = 1000; // status "restarting", after the successor has started
    int currentTextMs = 1500;    // status "launcher is current", before the workflow goes on
    int fileRetryMs = 1000;      // between two looks at a local file to be replaced
    int fileTries = 10;
};

// Process-wide, read at each use; tests and the test launcher shorten them.
sSelfUpdateTimes& SelfUpdateTimes();

// Waits ms, or less once the pak library's stop flag is raised (the updater is being stopped).
void SelfUpdateWait(int ms);

// String-table entries of the status line and of the failure message.
constexpr unsigned kEntryCheckingLauncher = 1;
constexpr unsigned kEntryLauncherCurrent = 2;
constexpr unsigned kEntryLauncherRestarting = 3;
constexpr unsigned kEntryLauncherUpdateFailed = 28;

// Calls the script's initialisation function when one is named (its answer is not used), then the
// restart process's Restart. 1: go on with the workflow; 14099: a successor runs and this launcher
// must end; 0 without a restart process; else the failure (the user has seen "(E:90009)" with it).
int CheckLauncherUpdateAndRestart(CObjectConnector* connector, const char* initFunction);
