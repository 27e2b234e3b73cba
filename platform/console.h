// Standard output, written through at once.
#pragma once

#include <cstddef>

// Prepares standard output for the run. Output that nobody reads any more
// (a closed pipe, a full disk) must never stop the configuration.
void PrepareConsole();

// Writes the bytes to standard output before returning: no buffering across
// calls, short writes continued, a full non-blocking pipe waited for.
// Failures are ignored.
void WriteOut(const char* data, size_t length);
