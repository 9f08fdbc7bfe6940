#pragma once

#include <Qt>

// The grid's one rule of which keys move the focus from cell to cell. The
// keyboard moves the focus with them, the in-place editor ends on them and the
// grid carries an ended edit on to the cell they lead to.
namespace GridKeys {

// Tab and Shift+Tab, which wrap to the next or previous row.
inline bool IsTab(int key)
{
    return key == Qt::Key_Tab || key == Qt::Key_Backtab;
}

// The arrows, Page Up and Page Down: they end an edit that typing opened (or
// any edit while Ctrl is held); in an edit the mouse opened they move the caret.
inline bool EndsTypedEdit(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

// Every key that moves the focus cell in a row or column: those above, and
// Home and End, which in the editor always move the caret.
inline bool MovesFocus(int key)
{
    return EndsTypedEdit(key) || key == Qt::Key_Home || key == Qt::Key_End;
}

} // namespace GridKeys
