#pragma once
// The repair step of a patch run: verify every packed record of the set (damaged ones are added
// to the repair list), mark every listed record deleted, and compact the set so the patcher fetches
// those files again.
#include <cstdint>
#include <string>
#include <vector>

namespace ZP
{

class CFileInfo;
class CPak;
class CPakMgr;

class CPakRepairUtil
{
public:
    // Candidate paks for "res.pak"; the repair list goes to "_tmp" (below the game folder in Run).
    CPakRepairUtil();
    virtual ~CPakRepairUtil() = default;

    // 14012 when there is no repair list (nothing to do; unless VerifyAlways), 14003 without a pak
    // manager; otherwise the first failing step's result. pakName is not used: the set is open already.
    virtual int Run(CPakMgr* paks, const std::wstring& pakName, const std::wstring& gameFolder,
                    bool deleteList);
    // Adds every damaged live packed record to the repair list; 14085 when stopped.
    virtual int VerifyAll(CPakMgr* paks);
    // Marks every record the list names deleted (Counter() tells how many); 14014 when the list
    // cannot be opened.
    virtual int ApplyList(CPakMgr* paks, const std::wstring& listPath);
    // argv-style: arguments[0] is the program. 14009 with fewer than two.
    virtual int ParseArguments(int count, const wchar_t* const* arguments);
    // Pairs "@pakname X", "@url U", "@skipencode N", "@skipendstate N" from index up to count.
    virtual int ParseOptions(const std::vector<std::wstring>& arguments, size_t index, size_t count);
    virtual void ResetCounter() { m_counter = 0; }
    virtual void SetPakName(const std::wstring& name);

    // The verdict on one live packed record of pak: 1 when it reads back intact or cannot be
    // judged (no data, too large to decode, encrypted while skipEncrypted), else the code it is
    // listed with.
    static int VerifyRecord(CPak& pak, const CFileInfo& record, bool skipEncrypted);

    uint32_t Counter() const { return m_counter; }
    bool SkipEncrypted() const { return m_skipEncrypted; }
    void SetSkipEncrypted(bool skip) { m_skipEncrypted = skip; }
    // Run verifies every record even when no repair list exists (a player's "verify files").
    bool VerifyAlways() const { return m_verifyAlways; }
    void SetVerifyAlways(bool verify) { m_verifyAlways = verify; }
    bool SkipEndState() const { return m_skipEndState; }
    void SetSkipEndState(bool skip) { m_skipEndState = skip; }
    const std::wstring& PakPath(size_t index) const { return m_pakPaths[index < 3 ? index : 2]; }
    const std::wstring& Url() const { return m_url; }
    const std::vector<std::wstring>& Arguments() const { return m_arguments; }

    // Longest list line that is looked at, and longest name taken from one.
    static constexpr size_t kLineBytes = 4096;
    static constexpr size_t kWordChars = 256;

private:
    uint32_t m_counter = 0;
    bool m_skipEncrypted = false;
    bool m_skipEndState = false;
    bool m_verifyAlways = false;
    std::wstring m_pakPaths[3];
    std::wstring m_url;
    std::vector<std::wstring> m_arguments;
    // Joined to the game folder by every Run, so a second run finds the same list.
    std::wstring m_listFolder = L"_tmp";
};

} // namespace ZP
