// Ending the process on Windows, which keeps the whole 32-bit status.
#include <windows.h>

#include "platform/process.h"

void EndProcess(int32_t status) { ExitProcess(static_cast<UINT>(status)); }
