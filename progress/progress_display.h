// The status scale printed before the run, and the star bar that the
// engine's progress calls draw under it.
#pragma once

#include <cstdint>

// Width in columns of the scale, the dash rule under it, a full star bar and
// the banner boxes.
constexpr int32_t BAR_WIDTH = 73;

// Bar state, process-wide and zero at start. Only this file's functions
// change it; the configuration run closes the bar through the two calls
// below.
extern int32_t starCount;  // stars drawn on the current bar line
extern bool barActive;     // a bar line is open; the next call continues it
extern bool barStarted;    // some bar line has been started; never cleared

// Prints the heading, the 0-100% scale and the dash rule.
void ShowProcessStatus();

// The progress function handed to the engine: draws at most one star per
// call, or completes the bar when `current` reaches `total`.
void ProgressCallback(int32_t total, int32_t current);

// At the start of every attempt: no stars yet, and the bar is closed, so the
// attempt's first progress call begins a new line.
void ResetBarForAttempt();

// After every report: the bar is closed, so the next progress call begins a
// new line.
void CloseBarAfterReport();
