// velmora-reg: reads and writes the launcher's registry store (the demo and the end-to-end tests
// register installs with it).
//
//     velmora-reg get ROOT KEY [NAME]
//     velmora-reg set ROOT KEY [NAME VALUE] [--type sz|expand_sz|dword]
//     velmora-reg del ROOT KEY [NAME]
//
// ROOT is HKLM or HKCU (any case). Without NAME, get reads the key's default value, set only creates
// the key and del deletes the key with everything below it. get prints the value (a number in
// decimal, binary data in hex) and exits 1 when it is missing; every failure exits 1, usage errors 2.
#include "platform/registry/RegistryStore.h"
#include "platform/text/TextCodec.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace reg = platform::registry;

namespace
{
void PrintUsage()
{
    std::fputs("usage: velmora-reg get ROOT KEY [NAME]\n"
               "       velmora-reg set ROOT KEY [NAME VALUE] [--type sz|expand_sz|dword]\n"
               "       velmora-reg del ROOT KEY [NAME]\n"
               "ROOT: HKLM or HKCU\n",
               stderr);
}

bool ParseRoot(const std::string& text, reg::eRoot& out)
{
    std::wstring upper = platform::text::ToUpper(platform::text::Utf8ToWide(text));
    if (upper == L"HKLM" || upper == L"HKEY_LOCAL_MACHINE")
        out = reg::eRoot::LocalMachine;
    else if (upper == L"HKCU" || upper == L"HKEY_CURRENT_USER")
        out = reg::eRoot::CurrentUser;
    else
        return false;
    return true;
}

bool ParseType(const std::string& text, uint32_t& out)
{
    if (text == "sz")
        out = reg::kTypeSz;
    else if (text == "expand_sz")
        out = reg::kTypeExpandSz;
    else if (text == "dword")
        out = reg::kTypeDword;
    else
        return false;
    return true;
}

// Decimal or 0x-prefixed hexadecimal, 0 ... 4294967295.
bool ParseNumber(const std::string& text, uint32_t& out)
{
    if (text.empty() || text[0] == '-') return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long v = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || !end || *end != '\0' || v > 0xFFFFFFFFull) return false;
    out = static_cast<uint32_t>(v);
    return true;
}

void PrintValue(const reg::sValue& value)
{
    uint32_t number = 0;
    if (value.AsNumber(number))
        std::printf("%u\n", number);
    else if (value.type == reg::kTypeSz || value.type == reg::kTypeExpandSz)
        std::printf("%s\n", value.data.c_str());
    else
    {
        for (unsigned char c : value.data)
            std::printf("%02x", c);
        std::printf("\n");
    }
}

int Fail(const char* what, const std::string& key)
{
    std::fprintf(stderr, "velmora-reg: %s: %s\n", what, key.c_str());
    return 1;
}
} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args;
    std::string typeText = "sz";
    bool typeGiven = false;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--type") == 0)
        {
            if (i + 1 >= argc)
            {
                PrintUsage();
                return 2;
            }
            typeText = argv[++i];
            typeGiven = true;
        }
        else
        {
            args.push_back(argv[i]);
        }
    }
    uint32_t type = reg::kTypeSz;
    reg::eRoot root;
    if (args.size() < 3 || !ParseType(typeText, type) || !ParseRoot(args[1], root))
    {
        PrintUsage();
        return 2;
    }
    const std::string& command = args[0];
    std::wstring key = platform::text::Utf8ToWide(args[2]);
    std::wstring name = args.size() > 3 ? platform::text::Utf8ToWide(args[3]) : std::wstring();

    reg::Key k;
    if (command == "get" && args.size() <= 4 && !typeGiven)
    {
        reg::sValue value;
        if (!k.Open(root, key) || !k.GetValue(name, value))
            return Fail("no such value", args[2] + (args.size() > 3 ? "\\" + args[3] : std::string()));
        PrintValue(value);
        return 0;
    }
    if (command == "set" && (args.size() == 3 || args.size() == 5))
    {
        reg::sValue value;
        if (args.size() == 5)
        {
            if (type == reg::kTypeDword)
            {
                uint32_t number = 0;
                if (!ParseNumber(args[4], number))
                {
                    std::fprintf(stderr, "velmora-reg: not a dword: %s\n", args[4].c_str());
                    return 2;
                }
                value = reg::sValue::Number(number);
            }
            else
            {
                value = reg::sValue::Text(platform::text::Utf8ToWide(args[4]), type);
            }
        }
        if (!k.Create(root, key)) return Fail("cannot create the key", args[2]);
        if (args.size() == 5 && !k.SetValue(name, value)) return Fail("cannot write the value", args[2]);
        return 0;
    }
    if (command == "del" && args.size() <= 4 && !typeGiven)
    {
        if (!k.Open(root, key)) return Fail("no such key", args[2]);
        bool ok = args.size() == 4 ? k.DeleteValue(name) : k.DeleteTree();
        return ok ? 0 : Fail(args.size() == 4 ? "no such value" : "cannot delete the key", args[2]);
    }
    PrintUsage();
    return 2;
}
