#pragma once
// How the pak set commands reach a set: the folder lock first (exclusive for the commands that
// write, shared for those that inspect), then the open, with what went wrong said on stderr.
#include "tools/zpak/Commands.h"
#include "zpak/pak/PakLock.h"
#include "zpak/pak/PakMgr.h"

#include <string>

namespace zpak_cli
{

// Removes every "--wait" from args; true when there was one.
bool TakeWaitFlag(Args& args);

// Locks the folder of the pak and opens the set (writable for write). A writer never rebuilds a
// damaged set: it refuses, keeps the files and says why. Returns 0, or the exit code 1 after
// printing the error.
int OpenPakSet(ZP::CPakMgr& set, ZP::CPakLock& lock, const std::string& pak, bool write, bool wait);

// Says on stderr what the open of each volume found wrong; the number of problems.
int ReportDamage(const ZP::CPakMgr& set);

} // namespace zpak_cli
