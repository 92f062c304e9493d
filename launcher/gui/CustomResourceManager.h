#pragma once
// The table that turns a logical skin entry into a resource id of the resource module. The program
// holds no ids of its own; windows ask the table, so a skin may renumber its resources.
#include <memory>

class CCustomResourceManager
{
public:
    static constexpr int kEntryCount = 76;

    CCustomResourceManager();
    virtual ~CCustomResourceManager() = default;
    // Discards every id and makes room for count new ones (all 0).
    virtual void Resize(int count);
    // Ignored when entry is not below the length.
    virtual void SetResourceId(int entry, int id);
    // The stored id; the length itself for an entry outside the table, which callers then use as
    // an id like any other (it normally names no resource).
    virtual int GetResourceId(int entry);

    int GetLength() const { return m_length; }

private:
    std::unique_ptr<int[]> m_ids;
    int m_length = 0;
};

// Fills the 76 entries with the ids of the skin shipped in the resource module.
void FillDefaultResourceIds(CCustomResourceManager& manager);

// The process-wide manager for windows created without a reference to it (the install dialog, the
// message box). Set on the main thread before any window exists; not owned.
CCustomResourceManager* GetCurrentResourceManager();
void SetCurrentResourceManager(CCustomResourceManager* manager);

// Logical entries by use. Button groups start at the normal image: +1 hover, +2 pressed, +3
// disabled (message box groups have three images: normal, hover, pressed).
enum eResourceEntry : int
{
    kResLauncherBackground = 0,
    kResLauncherPositions = 1,
    kResLauncherStartButton = 2,
    kResLauncherGameStartButton = 6,
    kResLauncherMinimizeButton = 10,
    kResLauncherCloseButton = 14,
    kResTotalProgressFill = 18,
    kResFileProgressFill = 19,
    kResStringTable = 23,
    kResMessageBoxDialog = 24,
    kResMessageBoxPositions = 25,
    kResMessageBoxFrameMiddle = 26,
    kResMessageBoxFrameLeft = 27,
    kResMessageBoxFrameRight = 28,
    kResMessageBoxTitle = 29,
    kResMessageBoxCloseButton = 30,
    kResMessageBoxOkButton = 33,
    kResMessageBoxYesButton = 36,
    kResMessageBoxNoButton = 39,
    kResMessageBoxRetryButton = 42,
    kResMessageBoxCancelButton = 45,
    kResInstallDialog = 48,
    kResInstallPositions = 49,
    kResInstallBackground = 50,
    kResInstallLogoDefault = 51,
    kResInstallLogoNhn = 52,
    kResInstallLogoDaum = 53,
    kResInstallLogoNaver = 54,
    kResInstallLogoNc = 55,
    kResInstallMinimizeButton = 56,
    kResInstallCloseButton = 60,
    kResInstallAgreeButton = 64,
    kResInstallExitButton = 68,
    kResInstallFindButton = 72,
};

// The launcher window's dialog template, named by the application directly rather than the table.
constexpr int kLauncherDialogTemplateId = 101;

// Resource type names of the module.
inline constexpr const char* kResourceTypeCsv = "csv";
inline constexpr const char* kResourceTypeBitmap = "bitmap";
inline constexpr const char* kResourceTypeDialog = "dialog";
