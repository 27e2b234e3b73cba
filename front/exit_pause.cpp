#include "front/exit_pause.h"

#include <cstdint>

#include "front/console.h"
#include "platform/keyboard.h"
#include "platform/sleep.h"
#include "run/engine_binding.h"

namespace {

constexpr uint32_t SHORT_PAUSE_MS = 1500;
constexpr uint32_t TIMED_PAUSE_MS = 5000;

void PromptAndAwaitKey() {
  Print("\nPress any key to exit...");
  AwaitKeyPress();
}

}  // namespace

char ExitModeOf(const char* argument) {
  if (argument[0] >= '0' && argument[0] <= '3' && argument[1] == 0) {
    return argument[0];
  }
  return '2';
}

void WaitBeforeExit(char** argv) {
  switch (ExitModeOf(argv[2])) {
    case '0':
      break;
    case '1':
      if (returnCode >= FIRST_ERROR_CODE) {
        PromptAndAwaitKey();
      } else {
        SleepMs(SHORT_PAUSE_MS);
      }
      break;
    case '3':
      SleepMs(TIMED_PAUSE_MS);
      break;
    default:
      PromptAndAwaitKey();
      break;
  }
}
