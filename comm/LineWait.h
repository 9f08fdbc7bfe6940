#pragma once

#include <functional>

// The one way the tool waits on the line. The event loop runs meanwhile, so the
// window paints, scrolls and takes clicks and typing; the sequence queue keeps
// whatever else talks to the meter from starting until the running sequence ends.
namespace LineWait {

// Runs the event loop until done() holds, waitMs have passed or the window
// closes; done is asked at the start, whenever bytes arrive on the open
// line (Line()) and at the end. No timer but the deadline's runs meanwhile.
// Returns whether done() held.
bool Until(int waitMs, const std::function<bool()>& done);
// A fixed wait: all of waitMs, unless the window closes.
void For(int waitMs);

// While the window closes the wait in progress ends at once and later waits do not wait.
void SetClosing(bool closing);
bool Closing();

// A meter played in-process (the fuzz targets) answers at once, so its waits may
// run on a faster clock: every wait then lasts its time divided by times, at
// least a millisecond. 1, the start value, is real time.
void SetClockSpeed(int times);

// VEMO400_FIXED_WAITS=1 makes every wait last its whole time, reply or not
// (for a converter that echoes the request, and for comparisons).
bool FixedWaits();

} // namespace LineWait
