// A stand-in for a second launcher in the single-instance tests: holds the launcher mutex of its
// own process id and the given game id, as a running launcher does, until its lifetime is over or
// the stop file appears.
//
//     velmora-test-launcher GAME_ID LIFETIME_MS READY_FILE STOP_FILE
//
// READY_FILE is written once the mutex is held.
#include "launcher/app/ProcessStatus.h"
#include "platform/process/ProcessList.h"
#include "platform/sync/NamedMutex.h"
#include "platform/text/TextCodec.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

int main(int argc, char** argv)
{
    if (argc != 5)
    {
        std::fputs("usage: velmora-test-launcher GAME_ID LIFETIME_MS READY_FILE STOP_FILE\n", stderr);
        return 2;
    }
    std::wstring gameId = platform::text::Utf8ToWide(argv[1]);
    auto lifetime = std::chrono::milliseconds(std::atol(argv[2]));
    std::wstring name = CDefaultProcessStatus::MutexName(platform::process::CurrentProcessId(), gameId);
    platform::sync::NamedMutex mutex;
    bool existed = false;
    if (!mutex.Create(name, existed)) return 1;
    std::ofstream(argv[3]) << "ready\n";

    auto end = std::chrono::steady_clock::now() + lifetime;
    while (std::chrono::steady_clock::now() < end)
    {
        if (std::ifstream(argv[4]).good()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
}
