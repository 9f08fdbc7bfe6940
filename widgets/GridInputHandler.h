#pragma once

class QKeyEvent;
class QMouseEvent;

// Where the grid's keyboard and mouse behaviour plugs in. The grid offers each
// key and mouse event to its handlers in the order they were added; the first
// that returns true has taken it, and the grid's own fallback (F2 and a double
// click open the in-place editor) only sees what no handler took.
class GridInputHandler
{
public:
    virtual ~GridInputHandler() = default;

    virtual bool KeyPress(QKeyEvent& /*event*/) { return false; }
    virtual bool MousePress(QMouseEvent& /*event*/) { return false; }
    virtual bool MouseMove(QMouseEvent& /*event*/) { return false; }
    virtual bool MouseRelease(QMouseEvent& /*event*/) { return false; }
    virtual bool MouseDoubleClick(QMouseEvent& /*event*/) { return false; }
    // Called before any edit and any scroll: a tip over a moving cell would lie.
    virtual void HideTitleTip() {}
};
