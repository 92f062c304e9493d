#pragma once
// A fresh folder under the temporary folder, removed with everything in it when the object dies.
#include <string>

namespace testsupport
{

class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& Path() const { return m_path; }
    std::string NativePath() const;
    // Path + "/" + relative.
    std::wstring Join(const std::wstring& relative) const;
    // Writes bytes to a file below the folder (parents created); returns its full path.
    std::wstring WriteFile(const std::wstring& relative, const std::string& bytes) const;
    std::string ReadFile(const std::wstring& relative) const;

private:
    std::wstring m_path;
};

// Runs a command line through the shell; returns its exit status and fills stdout/stderr.
int RunCommand(const std::string& commandLine, std::string* out = nullptr, std::string* err = nullptr);

// Folder of the built programs (bin/ under the build folder).
std::string BinaryDir();
// The zpak tool of this build.
std::string Zpak();
// The source tree (scripts, test data).
std::string SourceDir();

} // namespace testsupport
