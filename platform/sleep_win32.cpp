// Fixed pauses on Windows.
#include <windows.h>

#include "platform/sleep.h"

void SleepMs(uint32_t milliseconds) { Sleep(milliseconds); }
