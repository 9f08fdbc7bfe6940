#pragma once

#include "widgets/GridClipboard.h"
#include "widgets/GridInputHandler.h"
#include "widgets/GridTypes.h"

#include <QObject>

class CGridCtrl;
class CGridMouse;

// The grid's keyboard: moving the focus cell (skipping hidden rows and
// columns), extending the selection with Shift, the clipboard keys, Delete,
// and typing a character to start editing the focus cell.
class CGridKeyboard : public QObject, public GridInputHandler
{
    Q_OBJECT
public:
    CGridKeyboard(CGridCtrl& grid, const CGridMouse& mouse);

    bool KeyPress(QKeyEvent& event) override;

    // Tab moves between cells rather than to the next control.
    bool HandlesTab() const { return m_handleTab; }
    void SetHandlesTab(bool handle) { m_handleTab = handle; }

protected:
    // Tab would move the keyboard focus before the grid ever saw the key.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Where a key moves the focus; wrapped is set when Tab went on to another
    // row, which changes how the view scrolls to it.
    struct Move
    {
        CellId target;
        bool wrapped = false;
    };

    bool Command(const QKeyEvent& event);
    bool Navigate(const QKeyEvent& event);
    bool StartEditByTyping(const QKeyEvent& event);
    bool StartEditByInputMethod(const QString& committed);
    // Page Up/Down, Home and End scroll on the way to their target.
    Move TargetOf(const QKeyEvent& event, CellId focus);
    CellId PageTarget(int key, CellId focus);
    CellId HomeEndTarget(int key, bool ctrl, CellId focus);
    Move TabTarget(bool backwards, CellId focus) const;
    void MoveTo(const QKeyEvent& event, const Move& move);
    void SelectTo(CellId target, bool keepStart);
    void ScrollTowards(int key, bool wrapped);
    void SelectAll();

    int NextShownColumn(int column, int step) const;
    int NextShownRow(int row, int step) const;

    CGridCtrl& m_grid;
    const CGridMouse& m_mouse;
    CGridClipboard m_clipboard;
    bool m_handleTab = true;
};
