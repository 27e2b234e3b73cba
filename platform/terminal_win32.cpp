// The operator's console on Windows.
//
// The console input ("CONIN$", the console even when standard input is
// redirected) is held in one of three modes:
//   found    what it was when the program took it;
//   for run  QuickEdit off, so that a click into the window cannot start a
//            selection that holds back the output and stalls the engine
//            inside a progress call; the rest as found (Ctrl+C still ends
//            the program, and a console shows no keys while nothing reads);
//   for key  raw (mode 0): no line input, no echo, Ctrl+C as a key.
// The run's mode is used only when standard output is the console. A
// console control handler puts the found mode back when Ctrl+C, Ctrl+Break
// or closing the window ends the process.
#include <windows.h>

#include "platform/terminal.h"

namespace {

HANDLE input = INVALID_HANDLE_VALUE;
DWORD foundMode = 0;
DWORD runMode = 0;
// 1 while the console is held; whoever changes it to 0 restores the mode.
volatile LONG held = 0;

// Restores the found mode once, whichever of the console's control thread
// and the program's own gets here first.
void RestoreFoundMode() {
  if (InterlockedCompareExchange(&held, 0, 1) == 1) {
    // The extended flag makes the QuickEdit and insert bits count.
    SetConsoleMode(input, foundMode | ENABLE_EXTENDED_FLAGS);
  }
}

BOOL WINAPI OnConsoleEvent(DWORD) {
  RestoreFoundMode();
  // Not handled here: the usual handling ends the process.
  return FALSE;
}

HANDLE OpenConsoleInput() {
  return CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, 0, nullptr);
}

// Takes the console input: for the run, only when standard output is the
// console; for the key wait, whenever there is one.
bool Hold(bool forRun) {
  if (held != 0) {
    return true;
  }
  DWORD outputMode = 0;
  if (forRun && !GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &outputMode)) {
    return false;
  }
  HANDLE console = OpenConsoleInput();
  if (console == INVALID_HANDLE_VALUE) {
    return false;
  }
  if (!GetConsoleMode(console, &foundMode)) {
    CloseHandle(console);
    return false;
  }
  runMode = foundMode;
  if (forRun) {
    runMode = (foundMode | ENABLE_EXTENDED_FLAGS) & ~static_cast<DWORD>(ENABLE_QUICK_EDIT_MODE);
  }
  input = console;
  InterlockedExchange(&held, 1);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  return true;
}

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

void TakeConsole() {
  if (Hold(true)) {
    SetConsoleMode(input, runMode);
  }
}

void DiscardTypedAhead() {
  if (held != 0) {
    FlushConsoleInputBuffer(input);
    return;
  }
  HANDLE console = OpenConsoleInput();
  if (console != INVALID_HANDLE_VALUE) {
    FlushConsoleInputBuffer(console);
    CloseHandle(console);
  }
}

void AwaitKeyPress() {
  if (!Hold(false)) {
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
  SetConsoleMode(input, runMode);
}

void ReleaseConsole() {
  if (held == 0) {
    return;
  }
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  RestoreFoundMode();
  CloseHandle(input);
  input = INVALID_HANDLE_VALUE;
}
