#include <windows.h>

#include <cstdio>

#include "engine/console_probe.h"

std::string ConsoleInputMode() {
  HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  if (input == INVALID_HANDLE_VALUE) {
    return std::string();
  }
  DWORD mode = 0;
  BOOL read = GetConsoleMode(input, &mode);
  CloseHandle(input);
  if (!read) {
    return std::string();
  }
  char text[48];
  std::snprintf(text, sizeof text, " console-input-mode=0x%lx", mode);
  return text;
}
