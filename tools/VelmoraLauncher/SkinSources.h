#pragma once
// The resource module as the launcher window and the message box read their skin: rectangles from
// the position texts, the message box's template and frame bitmaps, all named through the resource
// manager's table.
#include "launcher/gui/SkinMessageBox.h"
#include "launcher/gui/WindowPositions.h"

class CCustomResourceManager;

class CResourceWindowPositions : public IWindowPositionSource
{
public:
    explicit CResourceWindowPositions(CCustomResourceManager* manager) : m_manager(manager) {}
    int ReadWindowPositions(WindowPositionTable& out) override;

private:
    CCustomResourceManager* m_manager;
};

class CResourceMessageBoxSkin : public IMessageBoxSkin
{
public:
    explicit CResourceMessageBoxSkin(CCustomResourceManager* manager) : m_manager(manager) {}
    bool LoadTemplate() override;
    bool LoadPositions() override;
    bool LoadFrameBitmaps() override;

private:
    CCustomResourceManager* m_manager;
};
