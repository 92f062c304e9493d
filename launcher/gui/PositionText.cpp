#include "launcher/gui/PositionText.h"

#include "platform/text/TextCodec.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

#include <climits>
#include <memory>
#include <string_view>
#include <vector>

namespace
{
std::vector<std::string_view> SplitRuns(std::string_view text, std::string_view separators)
{
    std::vector<std::string_view> parts;
    size_t pos = text.find_first_not_of(separators);
    while (pos != std::string_view::npos)
    {
        size_t end = text.find_first_of(separators, pos);
        if (end == std::string_view::npos) end = text.size();
        parts.push_back(text.substr(pos, end - pos));
        pos = text.find_first_not_of(separators, end);
    }
    return parts;
}

bool IsEnd(std::string_view name)
{
    if (name.size() != 3) return false;
    const char* word = "end";
    for (size_t i = 0; i < 3; ++i)
        if ((name[i] | 0x20) != word[i]) return false;
    return true;
}

int ReadNumber(std::string_view field)
{
    size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || field[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
    long long value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i)
        if (value <= INT_MAX) value = value * 10 + (field[i] - '0');
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

// The reading every window shares: load the window's text, then parse it. On a failed load the
// caller decides what that means for its window.
bool LoadPositionText(IWindowResourceLoader& loader, const platform::resource::CResourceModule* module,
                      CCustomResourceManager& manager, int entry, CPositionMap& map,
                      eUnknownPositionName unknown, bool logNames)
{
    std::unique_ptr<char[]> buffer;
    size_t size = 0;
    if (loader.LoadCustomWindowResource(module, manager.GetResourceId(entry), kResourceTypeCsv, buffer,
                                        &size) != 1)
        return false;
    ReadPositionText(buffer.get(), size, map, unknown, logNames);
    return true;
}
} // namespace

void ReadPositionText(const char* text, size_t size, CPositionMap& map, eUnknownPositionName unknown,
                      bool logNames)
{
    std::string_view all(text ? text : "", text ? size : 0);
    for (std::string_view line : SplitRuns(all, "\r\n"))
    {
        std::vector<std::string_view> fields = SplitRuns(line, ",");
        if (fields.empty() || IsEnd(fields[0])) return;
        std::wstring name = platform::text::Utf8ToWide(fields[0]);
        if (!map.IsRegistered(name))
        {
            if (unknown == eUnknownPositionName::EndReading) return;
            continue;
        }
        auto number = [&fields](size_t i) { return i < fields.size() ? ReadNumber(fields[i]) : 0; };
        map.Set(name, sGUIRect{number(1), number(2), number(3), number(4)});
        if (logNames) ZP::LogF(L"CurrentPos : %s", name.c_str());
    }
}

int ReadLauncherWindowPositions(IWindowResourceLoader& loader,
                                const platform::resource::CResourceModule* module,
                                CCustomResourceManager& manager, CPositionMap& map)
{
    if (LoadPositionText(loader, module, manager, kResLauncherPositions, map,
                         eUnknownPositionName::EndReading, true))
        return ZP::kResultOk;
    // The error line names the window's own reader, where this step belongs.
    ZP::LogErrorLine(ZP::kResultFail, "FWLauncherDialog", "CFWLauncherDialog::InitializePositionResource",
                     382);
    return ZP::kResultFail;
}

int ReadInstallDialogPositions(IWindowResourceLoader& loader,
                               const platform::resource::CResourceModule* module,
                               CCustomResourceManager& manager, CPositionMap& map)
{
    if (LoadPositionText(loader, module, manager, kResInstallPositions, map, eUnknownPositionName::SkipLine,
                         false))
        return ZP::kResultOk;
    ZP::LogErrorLine(ZP::kResultFail, "InstallDialog", "CInstallDialog::InitPositionResource", 111);
    return ZP::kResultFail;
}

int ReadMessageBoxPositions(IWindowResourceLoader& loader, const platform::resource::CResourceModule* module,
                            CCustomResourceManager& manager, CPositionMap& map)
{
    LoadPositionText(loader, module, manager, kResMessageBoxPositions, map, eUnknownPositionName::SkipLine,
                     false);
    return ZP::kResultOk;
}
