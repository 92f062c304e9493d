// The resource module the build ships: every entry of the skin table resolves, the string table
// fills all of its slots, and each position text gives every control a rectangle that fits the
// window and the bitmaps the control draws.
#include "launcher/app/StringTable.h"
#include "launcher/gui/CustomResourceManager.h"
#include "launcher/gui/PositionMap.h"
#include "launcher/gui/PositionText.h"
#include "platform/resource/BitmapSize.h"
#include "platform/resource/DialogTemplate.h"
#include "platform/resource/ResourceModule.h"
#include "platform/text/TextCodec.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace
{
class ShippedResourcePack : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string path = testsupport::BinaryDir() + "/FWLDRS.dll";
        platform::resource::eResourceError why = platform::resource::eResourceError::None;
        module = platform::resource::CResourceModule::Open(platform::text::Utf8ToWide(path), &why);
        ASSERT_TRUE(module) << path << ": " << platform::resource::ResourceErrorText(why);
        FillDefaultResourceIds(manager);
    }

    bool BitmapSize(int entry, int& width, int& height)
    {
        std::vector<char> bytes;
        return module->Read(kResourceTypeBitmap, manager.GetResourceId(entry), bytes) ==
                   platform::resource::eResourceError::None &&
               platform::resource::ReadBitmapSize(bytes.data(), bytes.size(), width, height);
    }

    std::unique_ptr<platform::resource::CResourceModule> module;
    CCustomResourceManager manager;
    IWindowResourceLoader loader;
};

struct sImageControl
{
    const wchar_t* name;
    int firstEntry;
    int images;
};

int Width(const sGUIRect& r)
{
    return r.right - r.left;
}
int Height(const sGUIRect& r)
{
    return r.bottom - r.top;
}
} // namespace

TEST_F(ShippedResourcePack, EveryTableEntryResolvesToAResourceOfItsKind)
{
    const int csvEntries[] = {kResLauncherPositions, kResStringTable, kResMessageBoxPositions,
                              kResInstallPositions};
    const int dialogEntries[] = {kResMessageBoxDialog, kResInstallDialog};
    for (int entry = 0; entry < CCustomResourceManager::kEntryCount; ++entry)
    {
        int id = manager.GetResourceId(entry);
        if (std::find(std::begin(csvEntries), std::end(csvEntries), entry) != std::end(csvEntries))
            EXPECT_TRUE(module->Contains(kResourceTypeCsv, id)) << "entry " << entry;
        else if (std::find(std::begin(dialogEntries), std::end(dialogEntries), entry) !=
                 std::end(dialogEntries))
            EXPECT_TRUE(module->Contains(kResourceTypeDialog, id)) << "entry " << entry;
        else
        {
            int w = 0, h = 0;
            EXPECT_TRUE(BitmapSize(entry, w, h)) << "entry " << entry << " (bitmap " << id << ")";
        }
    }
    EXPECT_TRUE(module->Contains(kResourceTypeDialog, kLauncherDialogTemplateId));
}

TEST_F(ShippedResourcePack, StringTableFillsEverySlot)
{
    std::unique_ptr<char[]> buffer;
    size_t size = 0;
    ASSERT_EQ(loader.LoadCustomWindowResource(module.get(), manager.GetResourceId(kResStringTable),
                                              kResourceTypeCsv, buffer, &size),
              1);
    CFWLStringTable table;
    ASSERT_EQ(table.Load(buffer.get(), size), 1);
    for (unsigned id = 1; id < CFWLStringTable::kSlotCount; ++id)
        EXPECT_STRNE(table.GetString(id), L"") << "entry " << id;
    EXPECT_STREQ(table.GetString(31), L"게임을 설치할 폴더를 직접 선택하시겠습니까?");
}

TEST_F(ShippedResourcePack, LauncherWindowLayoutFitsItsBitmaps)
{
    CPositionMap map;
    RegisterLauncherWindowNames(map);
    ASSERT_EQ(ReadLauncherWindowPositions(loader, module.get(), manager, map), 1);
    int windowW = 0, windowH = 0;
    ASSERT_TRUE(BitmapSize(kResLauncherBackground, windowW, windowH));
    for (const wchar_t* name : LauncherWindowNames())
    {
        sGUIRect r = *map.Find(name);
        EXPECT_TRUE(Width(r) > 0 && Height(r) > 0) << "the text reaches " << platform::text::WideToUtf8(name);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= windowW && r.bottom <= windowH)
            << platform::text::WideToUtf8(name) << " lies inside the window";
    }
    const sImageControl controls[] = {{L"BUTTON_Start", kResLauncherStartButton, 4},
                                      {L"BUTTON_Exit", kResLauncherGameStartButton, 4},
                                      {L"BUTTON_Minimize", kResLauncherMinimizeButton, 4},
                                      {L"BUTTON_Close", kResLauncherCloseButton, 4},
                                      {L"PROGRESS_TotalProgress", kResTotalProgressFill, 1},
                                      {L"PROGRESS_FileProgress", kResFileProgressFill, 1}};
    for (const sImageControl& c : controls)
        for (int entry = c.firstEntry; entry < c.firstEntry + c.images; ++entry)
        {
            int w = 0, h = 0;
            ASSERT_TRUE(BitmapSize(entry, w, h));
            sGUIRect r = *map.Find(c.name);
            EXPECT_TRUE(w == Width(r) && h == Height(r))
                << "entry " << entry << " fills " << platform::text::WideToUtf8(c.name);
        }
}

TEST_F(ShippedResourcePack, InstallDialogLayoutFitsItsBitmaps)
{
    CPositionMap map;
    RegisterInstallDialogNames(map);
    ASSERT_EQ(ReadInstallDialogPositions(loader, module.get(), manager, map), 1);
    int windowW = 0, windowH = 0;
    ASSERT_TRUE(BitmapSize(kResInstallBackground, windowW, windowH));
    for (const wchar_t* name : InstallDialogNames())
    {
        sGUIRect r = *map.Find(name);
        EXPECT_TRUE(Width(r) > 0 && Height(r) > 0) << platform::text::WideToUtf8(name);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= windowW && r.bottom <= windowH)
            << platform::text::WideToUtf8(name);
    }
    const sImageControl controls[] = {
        {L"IMAGE_FernwayBI", kResInstallLogoDefault, 5}, {L"BUTTON_Minimize", kResInstallMinimizeButton, 4},
        {L"BUTTON_Close", kResInstallCloseButton, 4},    {L"BUTTON_Agree", kResInstallAgreeButton, 4},
        {L"BUTTON_Exit", kResInstallExitButton, 4},      {L"BUTTON_FIND", kResInstallFindButton, 4}};
    for (const sImageControl& c : controls)
        for (int entry = c.firstEntry; entry < c.firstEntry + c.images; ++entry)
        {
            int w = 0, h = 0;
            ASSERT_TRUE(BitmapSize(entry, w, h));
            sGUIRect r = *map.Find(c.name);
            EXPECT_TRUE(w == Width(r) && h == Height(r)) << "entry " << entry;
        }
}

TEST_F(ShippedResourcePack, MessageBoxLayoutFitsItsFrame)
{
    CPositionMap map;
    RegisterMessageBoxNames(map);
    ASSERT_EQ(ReadMessageBoxPositions(loader, module.get(), manager, map), 1);
    sGUIRect box = *map.Find(L"Message_InitRect");
    ASSERT_TRUE(Width(box) > 0 && Height(box) > 0);
    int leftW = 0, rightW = 0, h = 0;
    for (int entry : {kResMessageBoxFrameLeft, kResMessageBoxFrameMiddle, kResMessageBoxFrameRight})
    {
        int w = 0;
        ASSERT_TRUE(BitmapSize(entry, w, h));
        EXPECT_EQ(h, Height(box)) << "frame entry " << entry << " spans the box's height";
        if (entry == kResMessageBoxFrameLeft) leftW = w;
        if (entry == kResMessageBoxFrameRight) rightW = w;
    }
    EXPECT_LT(leftW + rightW, Width(box)) << "the middle frame has a gap to fill";
    for (const wchar_t* name :
         {L"Message_Title", L"BUTTON_Close", L"Message_Button01", L"Message_Button02", L"Message_Content"})
    {
        sGUIRect r = *map.Find(name);
        EXPECT_TRUE(Width(r) > 0 && Height(r) > 0 && r.left >= 0 && r.top >= 0 && r.right <= Width(box) &&
                    r.bottom <= Height(box))
            << platform::text::WideToUtf8(name);
    }
    const sImageControl controls[] = {{L"Message_Title", kResMessageBoxTitle, 1},
                                      {L"BUTTON_Close", kResMessageBoxCloseButton, 3},
                                      {L"Message_Button01", kResMessageBoxOkButton, 15},
                                      {L"Message_Button02", kResMessageBoxOkButton, 15}};
    for (const sImageControl& c : controls)
        for (int entry = c.firstEntry; entry < c.firstEntry + c.images; ++entry)
        {
            int w = 0, bh = 0;
            ASSERT_TRUE(BitmapSize(entry, w, bh));
            sGUIRect r = *map.Find(c.name);
            EXPECT_TRUE(w == Width(r) && bh == Height(r)) << "entry " << entry;
        }
}

TEST_F(ShippedResourcePack, WindowTemplatesMatchTheirBackgrounds)
{
    CPositionMap box;
    RegisterMessageBoxNames(box);
    ASSERT_EQ(ReadMessageBoxPositions(loader, module.get(), manager, box), 1);
    int launcherW = 0, launcherH = 0, installW = 0, installH = 0;
    ASSERT_TRUE(BitmapSize(kResLauncherBackground, launcherW, launcherH));
    ASSERT_TRUE(BitmapSize(kResInstallBackground, installW, installH));
    sGUIRect initial = *box.Find(L"Message_InitRect");
    const struct
    {
        int id, width, height;
    } windows[] = {{kLauncherDialogTemplateId, launcherW, launcherH},
                   {manager.GetResourceId(kResMessageBoxDialog), Width(initial), Height(initial)},
                   {manager.GetResourceId(kResInstallDialog), installW, installH}};
    for (const auto& w : windows)
    {
        std::vector<char> bytes;
        ASSERT_EQ(module->Read(kResourceTypeDialog, w.id, bytes), platform::resource::eResourceError::None);
        platform::resource::sDialogTemplate t;
        std::string error;
        ASSERT_TRUE(platform::resource::ParseDialogTemplate(bytes.data(), bytes.size(), t, &error))
            << "dialog " << w.id << ": " << error;
        EXPECT_EQ(t.id, w.id);
        EXPECT_TRUE(t.width == w.width && t.height == w.height) << "dialog " << w.id;
    }
}
