#pragma once
// The skinned message box behind ShowMessage. Its look comes from the resource module; its answers
// come from the window back end: through the launcher window while that runs (a worker asking waits
// until the window's thread has the answer), straight from the back end before and after. When
// the skin cannot be loaded, the text goes to the system's plain box with the caption "Caution".
#include "launcher/app/Components.h"
#include "launcher/app/MessageBox.h"
#include "platform/ui/Window.h"

#include <memory>
#include <mutex>

// Ids of the box's buttons.
constexpr int kMessageButtonLeft = 1040;
constexpr int kMessageButtonRight = 1041;
constexpr int kMessageButtonClose = 1042;

// The skin's parts in the resource module: template, positions, frame bitmaps.
class IMessageBoxSkin
{
public:
    virtual ~IMessageBoxSkin() = default;
    virtual bool LoadTemplate() = 0;
    virtual bool LoadPositions() = 0;
    virtual bool LoadFrameBitmaps() = 0;
};

class CSkinMessageBox : public CGUIMessageBox, public CObjectConnectorReceiver
{
public:
    CSkinMessageBox(std::shared_ptr<platform::ui::IWindowBackend> backend,
                    std::shared_ptr<IMessageBoxSkin> skin);

    void SetConnector(CObjectConnector* connector) override { m_connector = connector; }

    // 1; 0 without the template; 14004 when the frame bitmaps are missing.
    int InitializeGUI();
    void FinalizeGUI();
    int Show() override;

    // The launcher window while its loop runs (null otherwise). Any thread.
    void SetOwnerWindow(platform::ui::CWindow* window);

    // The answer a button of the box gives for a box type: 1 OK, 2 Cancel, 4 Retry, 6 Yes, 7 No, 8
    // the close button; 0 for an id that is no button of the box.
    static int AnswerForButton(unsigned type, int buttonId);
    // The system box's style for a box type.
    static unsigned PlainStyle(unsigned type);

private:
    CObjectConnector* m_connector = nullptr;
    std::shared_ptr<platform::ui::IWindowBackend> m_backend;
    std::shared_ptr<IMessageBoxSkin> m_skin;
    std::mutex m_lock;
    platform::ui::CWindow* m_owner = nullptr;
    bool m_initialised = false;
};
