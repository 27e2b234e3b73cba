// Fixed pauses of the calling thread.
#pragma once

#include <cstdint>

// Sleeps the calling thread for the given number of milliseconds.
void SleepMs(uint32_t milliseconds);
