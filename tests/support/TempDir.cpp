#include "tests/support/TempDir.h"

#include "platform/fs/FileSystem.h"
#include "platform/text/TextCodec.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace testsupport
{
namespace
{
std::atomic<int> g_counter{0};

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}
} // namespace

TempDir::TempDir()
{
    std::string base = std::filesystem::temp_directory_path().string();
    for (;;)
    {
        std::string candidate = base + "/velmora-test-" + std::to_string(::getpid()) + "-" +
                                std::to_string(g_counter.fetch_add(1));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec))
        {
            m_path = platform::text::Utf8ToWide(candidate);
            return;
        }
    }
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(NativePath(), ec);
}

std::string TempDir::NativePath() const
{
    return platform::text::WideToUtf8(m_path);
}

std::wstring TempDir::Join(const std::wstring& relative) const
{
    return m_path + L"/" + relative;
}

std::wstring TempDir::WriteFile(const std::wstring& relative, const std::string& bytes) const
{
    std::wstring full = Join(relative);
    std::filesystem::path p(platform::text::WideToUtf8(full));
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return full;
}

std::string TempDir::ReadFile(const std::wstring& relative) const
{
    return Slurp(platform::text::WideToUtf8(Join(relative)));
}

int RunCommand(const std::string& commandLine, std::string* out, std::string* err)
{
    TempDir scratch;
    std::string outPath = scratch.NativePath() + "/out";
    std::string errPath = scratch.NativePath() + "/err";
    std::string full = commandLine + " >" + outPath + " 2>" + errPath;
    int status = std::system(full.c_str());
    if (out) *out = Slurp(outPath);
    if (err) *err = Slurp(errPath);
    if (status == -1) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string BinaryDir()
{
    const char* dir = std::getenv("VELMORA_TEST_BINARY_DIR");
    return std::string(dir && *dir ? dir : VELMORA_BINARY_DIR) + "/bin";
}

std::string Zpak()
{
    return BinaryDir() + "/zpak";
}

std::string SourceDir()
{
    const char* dir = std::getenv("VELMORA_SOURCE_DIR");
    return dir && *dir ? dir : VELMORA_SOURCE_DIR_FALLBACK;
}

} // namespace testsupport
