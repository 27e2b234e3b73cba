// One key press on Windows, read from the console input device itself.
//
// "CONIN$" is the console even when standard input is redirected. For the
// read the console goes into raw mode (no line input, no echo, Ctrl+C as a
// key) and its earlier mode is restored afterwards.
#include <windows.h>

#include "platform/keyboard.h"

namespace {

// The console reports modifier keys on their own, and synthesises a Shift
// key-down before a shifted letter; none of them alone ends the wait.
bool IsModifierKey(WORD virtualKey) {
  switch (virtualKey) {
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL:
      return true;
    default:
      return false;
  }
}

}  // namespace

void AwaitKeyPress() {
  HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  if (input == INVALID_HANDLE_VALUE) {
    return;
  }
  DWORD savedMode = 0;
  if (!GetConsoleMode(input, &savedMode)) {
    CloseHandle(input);
    return;
  }
  SetConsoleMode(input, 0);
  for (;;) {
    INPUT_RECORD record;
    DWORD count = 0;
    if (!ReadConsoleInputA(input, &record, 1, &count)) {
      break;
    }
    if (count == 1 && record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown &&
        !IsModifierKey(record.Event.KeyEvent.wVirtualKeyCode)) {
      break;
    }
  }
  SetConsoleMode(input, savedMode);
  CloseHandle(input);
}
