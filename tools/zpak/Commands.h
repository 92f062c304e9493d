#pragma once
// The zpak tool's commands. Each takes the arguments after its name and returns the exit code;
// 2 means a usage error (the caller prints the usage text).
#include <string>
#include <vector>

namespace zpak_cli
{

using Args = std::vector<std::string>;

int CmdCrc(const Args& args);
int CmdHash(const Args& args);
int CmdFetch(const Args& args);
int CmdInfo(const Args& args);
int CmdAdd(const Args& args);
int CmdLs(const Args& args);
int CmdExtract(const Args& args);
int CmdCompact(const Args& args);
int CmdRm(const Args& args);
int CmdPublish(const Args& args);
int CmdPatch(const Args& args);
int CmdVerify(const Args& args);

// Prints "error CODE: MESSAGE" on stderr and returns exit code 1.
int PrintError(int code);
// The same, led by the file the error concerns ("SUBJECT: error CODE: MESSAGE") when there is one.
int PrintError(int code, const std::wstring& subject);

} // namespace zpak_cli
