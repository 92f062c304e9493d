#include "launcher/gui/CurrentResourceModule.h"
#include "launcher/gui/CustomResourceManager.h"
#include "launcher/gui/PositionMap.h"
#include "launcher/gui/PositionText.h"
#include "launcher/gui/WindowResourceLoader.h"
#include "platform/ui/SystemMessageBox.h"
#include "tests/support/ResourcePackWriter.h"
#include "tests/support/TempDir.h"
#include "zpak/log/ZpakLog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
std::vector<std::wstring> LinesSince(size_t mark)
{
    std::vector<std::wstring> all = ZP::GetLog()->GetHeldLines();
    return std::vector<std::wstring>(all.begin() + static_cast<long>(mark), all.end());
}

bool AnyLineHas(const std::vector<std::wstring>& lines, const std::wstring& part)
{
    for (const std::wstring& line : lines)
        if (line.find(part) != std::wstring::npos) return true;
    return false;
}

sGUIRect RectOf(const CPositionMap& map, const wchar_t* name)
{
    std::optional<sGUIRect> rect = map.Find(name);
    EXPECT_TRUE(rect) << "not registered";
    return rect.value_or(sGUIRect{});
}

bool IsZero(const sGUIRect& r)
{
    return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0;
}

bool Is(const sGUIRect& r, int left, int top, int right, int bottom)
{
    return r.left == left && r.top == top && r.right == right && r.bottom == bottom;
}

void Read(const std::string& text, CPositionMap& map, eUnknownPositionName unknown)
{
    ReadPositionText(text.data(), text.size(), map, unknown, false);
}
} // namespace

TEST(CustomResourceManager, TableLookupsAndOutOfRangeEntries)
{
    CCustomResourceManager manager;
    ASSERT_EQ(manager.GetLength(), 76);
    EXPECT_EQ(manager.GetResourceId(0), 0) << "the constructor only allocates";
    FillDefaultResourceIds(manager);
    // Group boundaries of the table, where an off-by-one would shift every later entry.
    const std::pair<int, int> expected[] = {{0, 101},  {1, 103},  {5, 126},   {9, 1019}, {18, 128},
                                            {19, 135}, {23, 113}, {24, 142},  {25, 138}, {26, 140},
                                            {28, 139}, {29, 143}, {38, 147},  {47, 150}, {48, 163},
                                            {49, 165}, {50, 166}, {55, 1018}, {59, 132}, {75, 174}};
    for (const auto& [entry, id] : expected)
        EXPECT_EQ(manager.GetResourceId(entry), id) << "entry " << entry;

    EXPECT_EQ(manager.GetResourceId(80), 76);
    EXPECT_EQ(manager.GetResourceId(76), 76);
    EXPECT_EQ(manager.GetResourceId(-1), 76);
    manager.SetResourceId(76, 999);
    manager.SetResourceId(-3, 999);
    EXPECT_EQ(manager.GetResourceId(75), 174) << "writes outside the table change nothing";

    manager.Resize(3);
    EXPECT_EQ(manager.GetResourceId(0), 0) << "Resize discards the old ids";
    EXPECT_EQ(manager.GetResourceId(5), 3) << "out of range answers the new length";
}

TEST(PositionText, LinesNamesAndNumbers)
{
    // The same entries with CR LF, LF alone, CR alone and blank lines between them read the same.
    const char* variants[] = {
        "BUTTON_Close,600,8,620,28\r\nTXT_Status,1,2,3,4\r\nend\r\n",
        "BUTTON_Close,600,8,620,28\nTXT_Status,1,2,3,4\nend\n",
        "BUTTON_Close,600,8,620,28\rTXT_Status,1,2,3,4\rend",
        "\r\n\r\nBUTTON_Close,600,8,620,28\n\n\r\n\nTXT_Status,1,2,3,4\n\nend\n\n",
        ",BUTTON_Close,,600,,,8,620,28,\nTXT_Status, 1,  2,3,4\nend", // runs of commas count as one
    };
    for (const char* text : variants)
    {
        CPositionMap map;
        RegisterLauncherWindowNames(map);
        Read(text, map, eUnknownPositionName::EndReading);
        EXPECT_TRUE(Is(RectOf(map, L"BUTTON_Close"), 600, 8, 620, 28)) << text;
        EXPECT_TRUE(Is(RectOf(map, L"TXT_Status"), 1, 2, 3, 4)) << text;
    }

    CPositionMap map;
    map.Register(L"A");
    map.Register(L"B");
    map.Register(L"C");
    map.Register(L"한글");
    Read("A,1,2,3,4\nB,-5,+6,7px,x9\nA,10,20,30,40\nC,11,12\n한글,1,1,2,2\nend", map,
         eUnknownPositionName::SkipLine);
    EXPECT_TRUE(Is(RectOf(map, L"A"), 10, 20, 30, 40)) << "a name listed twice takes its last line";
    EXPECT_TRUE(Is(RectOf(map, L"B"), -5, 6, 7, 0)) << "numbers read up to the first non-digit";
    EXPECT_TRUE(Is(RectOf(map, L"C"), 11, 12, 0, 0)) << "missing numbers are 0";
    EXPECT_TRUE(Is(RectOf(map, L"한글"), 1, 1, 2, 2)) << "names are UTF-8";
    EXPECT_FALSE(map.Find(L"a")) << "names compare with case";
}

TEST(PositionText, WhereReadingEnds)
{
    struct sCase
    {
        const char* what;
        std::string text;
        eUnknownPositionName unknown;
        bool secondRead; // B got its rectangle
    };
    const sCase cases[] = {
        {"no end line: read to the last line", "A,1,1,1,1\nB,2,2,2,2", eUnknownPositionName::EndReading,
         true},
        {"end", "A,1,1,1,1\nend\nB,2,2,2,2\n", eUnknownPositionName::EndReading, false},
        {"End", "A,1,1,1,1\nEnd,9\nB,2,2,2,2\n", eUnknownPositionName::SkipLine, false},
        {"END", "A,1,1,1,1\nEND\nB,2,2,2,2\n", eUnknownPositionName::SkipLine, false},
        {"a line of commas only has no field", "A,1,1,1,1\n,,,\nB,2,2,2,2\n", eUnknownPositionName::SkipLine,
         false},
        {"launcher window: an unregistered name ends the reading", "A,1,1,1,1\nX,5,5,5,5\nB,2,2,2,2\n",
         eUnknownPositionName::EndReading, false},
        {"other windows: an unregistered name is skipped", "A,1,1,1,1\nX,5,5,5,5\nB,2,2,2,2\n",
         eUnknownPositionName::SkipLine, true},
        {"ending is not a prefix match", "A,1,1,1,1\nends,1\nB,2,2,2,2\n", eUnknownPositionName::SkipLine,
         true},
    };
    for (const sCase& c : cases)
    {
        CPositionMap map;
        map.Register(L"A");
        map.Register(L"B");
        Read(c.text, map, c.unknown);
        EXPECT_TRUE(Is(RectOf(map, L"A"), 1, 1, 1, 1)) << c.what;
        EXPECT_EQ(!IsZero(RectOf(map, L"B")), c.secondRead) << c.what;
        EXPECT_FALSE(map.Find(L"X")) << "unregistered names are never added";
    }

    // The text ends at its size even when the memory behind it goes on.
    const char buffer[] = "A,1,1,1,1\nB,2,2,2,2";
    CPositionMap map;
    map.Register(L"A");
    map.Register(L"B");
    ReadPositionText(buffer, std::strlen("A,1,1,1,1\nB,2"), map, eUnknownPositionName::SkipLine, false);
    EXPECT_TRUE(Is(RectOf(map, L"B"), 2, 0, 0, 0));
}

class SkinResourceReaders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FillDefaultResourceIds(manager);
        m_mark = ZP::GetLog()->GetHeldLines().size();
    }
    const platform::resource::CResourceModule* Pack(const testsupport::ResourceEntries& entries)
    {
        std::wstring path = dir.Join(L"FWLDRS.dll");
        EXPECT_TRUE(testsupport::WriteResourcePack(path, entries));
        m_module = platform::resource::CResourceModule::Open(path);
        EXPECT_TRUE(m_module);
        return m_module.get();
    }
    std::vector<std::wstring> Logged() const { return LinesSince(m_mark); }

    testsupport::TempDir dir;
    CCustomResourceManager manager;
    IWindowResourceLoader loader;

private:
    std::unique_ptr<platform::resource::CResourceModule> m_module;
    size_t m_mark = 0;
};

TEST_F(SkinResourceReaders, LoadCustomWindowResourceCopiesExactlyTheBytes)
{
    auto module = Pack({{"csv/103.csv", "TXT_Status,1,2,3,4"}, {"csv/104.csv", ""}});
    std::unique_ptr<char[]> buffer;
    size_t size = 99;
    ASSERT_EQ(loader.LoadCustomWindowResource(module, 103, "csv", buffer, &size), 1);
    ASSERT_EQ(size, 18u);
    EXPECT_EQ(std::string(buffer.get(), size), "TXT_Status,1,2,3,4");
    ASSERT_EQ(loader.LoadCustomWindowResource(module, 104, "csv", buffer, &size), 1);
    EXPECT_EQ(size, 0u);
    EXPECT_TRUE(buffer) << "an empty resource still gives a buffer";
    std::vector<std::wstring> lines = Logged();
    for (const wchar_t* step :
         {L"LoadCustomWindowResource", L"FindResource", L"LoadResource", L"LockResource", L"SizeResource"})
        EXPECT_TRUE(AnyLineHas(lines, step)) << step;

    size = 99;
    EXPECT_EQ(loader.LoadCustomWindowResource(module, 105, "csv", buffer, &size), 0);
    EXPECT_EQ(size, 0u) << "the size is cleared before anything else";
    size = 99;
    EXPECT_EQ(loader.LoadCustomWindowResource(nullptr, 103, "csv", buffer, &size), 0);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(loader.LoadCustomWindowResource(module, 103, "bitmap", buffer, nullptr), 0);
}

TEST_F(SkinResourceReaders, EachWindowReadsItsOwnTextAndFailsItsOwnWay)
{
    auto module = Pack({{"csv/103.csv", "TXT_Status,1,2,3,4\nend"},
                        {"csv/165.csv", "Nope,0,0,0,0\nTXT_NeedSpace,5,6,7,8\n"},
                        {"csv/138.csv", "Message_Title,10,8,210,30\nend"}});
    CPositionMap launcher, install, box;
    RegisterLauncherWindowNames(launcher);
    RegisterInstallDialogNames(install);
    RegisterMessageBoxNames(box);
    EXPECT_EQ(ReadLauncherWindowPositions(loader, module, manager, launcher), 1);
    EXPECT_TRUE(Is(RectOf(launcher, L"TXT_Status"), 1, 2, 3, 4));
    EXPECT_TRUE(AnyLineHas(Logged(), L"CurrentPos : TXT_Status"));
    EXPECT_EQ(ReadInstallDialogPositions(loader, module, manager, install), 1);
    EXPECT_TRUE(Is(RectOf(install, L"TXT_NeedSpace"), 5, 6, 7, 8));
    EXPECT_EQ(ReadMessageBoxPositions(loader, module, manager, box), 1);
    EXPECT_TRUE(Is(RectOf(box, L"Message_Title"), 10, 8, 210, 30));

    // A skin whose table points the windows at texts the module lacks.
    manager.SetResourceId(kResLauncherPositions, 900);
    manager.SetResourceId(kResInstallPositions, 901);
    manager.SetResourceId(kResMessageBoxPositions, 902);
    CPositionMap empty;
    RegisterMessageBoxNames(empty);
    EXPECT_EQ(ReadLauncherWindowPositions(loader, module, manager, launcher), 0);
    EXPECT_EQ(ReadInstallDialogPositions(loader, module, manager, install), 0);
    EXPECT_EQ(ReadMessageBoxPositions(loader, module, manager, empty), 1) << "the message box goes on";
    EXPECT_TRUE(IsZero(RectOf(empty, L"Message_Title")));
    std::vector<std::wstring> lines = Logged();
    EXPECT_TRUE(AnyLineHas(
        lines,
        L"File : FWLauncherDialog, Function : CFWLauncherDialog::InitializePositionResource, Line : 382"));
    EXPECT_TRUE(AnyLineHas(
        lines, L"File : InstallDialog, Function : CInstallDialog::InitPositionResource, Line : 111"));
}

TEST(ResourceModuleLoading, ModuleNameFollowsTheModuleTypeAndAMissingPackStopsStartUp)
{
    testsupport::TempDir dir;
    ASSERT_TRUE(testsupport::WriteResourcePack(dir.Join(L"FWLDRS.dll"), {{"csv/113.csv", "dll"}}));
    ASSERT_TRUE(testsupport::WriteResourcePack(dir.Join(L"FWLDRS.cln"), {{"csv/113.csv", "cln"}}));
    std::wstring folder = dir.Path() + L"\\"; // the folder as start-up builds it
    std::vector<char> bytes;

    ASSERT_EQ(LoadResourceModule(folder, false), 1);
    ASSERT_TRUE(GetResourceModule());
    GetResourceModule()->Read("csv", 113, bytes);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "dll");
    ASSERT_EQ(LoadResourceModule(folder, true), 1);
    GetResourceModule()->Read("csv", 113, bytes);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "cln") << "the clone reads its own copy";

    std::wstring shown, caption;
    unsigned style = 0;
    auto previous = platform::ui::SetMessageBoxHandler(
        [&](std::wstring_view t, std::wstring_view c, unsigned s)
        {
            shown = t;
            caption = c;
            style = s;
            return platform::ui::kAnswerOk;
        });
    EXPECT_EQ(LoadResourceModule(dir.Join(L"missing") + L"\\", false), 14003);
    platform::ui::SetMessageBoxHandler(previous);
    EXPECT_EQ(shown, L"LoadResource Error : 14003");
    EXPECT_EQ(caption, L"Velmora Launcher");
    EXPECT_EQ(style, platform::ui::kStyleSetForeground);
    ASSERT_TRUE(GetResourceModule()) << "a failed load keeps the module in use";
    EXPECT_FALSE(SetResourceModule(L""));
    ReleaseResourceModule();
    EXPECT_EQ(GetResourceModule(), nullptr);
}
