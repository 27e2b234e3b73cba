// Standard output on Windows, through WriteFile on the standard output
// handle: the bytes reach a console, a file or a pipe unchanged and at once,
// with no text-mode translation and no buffer.
#include <windows.h>

#include "platform/console.h"

void PrepareConsole() {
  // A closed pipe or a full disk makes WriteFile fail; the failure is
  // ignored and nothing else needs preparing.
}

void WriteOut(const char* data, size_t length) {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) {
    return;
  }
  while (length > 0) {
    DWORD chunk = length > 0x10000 ? 0x10000 : static_cast<DWORD>(length);
    DWORD written = 0;
    if (!WriteFile(output, data, chunk, &written, nullptr) || written == 0) {
      return;
    }
    data += written;
    length -= written;
  }
}
