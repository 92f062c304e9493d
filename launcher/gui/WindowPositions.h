#pragma once
// Where the window's parts go: rectangles by position name, read from the resource module's
// position texts. The window takes them through this interface so the reader can be swapped.
#include "launcher/gui/LauncherGUI.h"

#include <map>
#include <string>

using WindowPositionTable = std::map<std::wstring, sGUIRect>;

class IWindowPositionSource
{
public:
    virtual ~IWindowPositionSource() = default;
    // Fills out with every position the source knows; 1 success, else a result code.
    virtual int ReadWindowPositions(WindowPositionTable& out) = 0;
};

// A source holding a ready table.
class CPlainWindowPositions : public IWindowPositionSource
{
public:
    explicit CPlainWindowPositions(WindowPositionTable table) : m_table(std::move(table)) {}
    int ReadWindowPositions(WindowPositionTable& out) override
    {
        out = m_table;
        return 1;
    }

private:
    WindowPositionTable m_table;
};
