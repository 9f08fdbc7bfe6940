#pragma once

// The silence a Modbus RTU line keeps between frames: 3.5 character times after the last
// byte of the previous frame (a fixed 1.75 ms above 19,200 baud), plus an optional pause
// for meters that need idle time before the next request: VEMO400_PAUSE_MS, or SetPauseMs.
namespace FrameGap {

// The required silence in microseconds at a rate (11 bits per character, as the Modbus
// timing is defined), without the pause.
long long SilenceMicroseconds(unsigned baud);

int PauseMs();
// Replaces VEMO400_PAUSE_MS for the rest of the run; a negative value reads it again.
void SetPauseMs(int pauseMs);

// Waits, with the window live, until the open line has been silent long enough for
// the next request to go out.
void KeepBeforeSending();

} // namespace FrameGap
