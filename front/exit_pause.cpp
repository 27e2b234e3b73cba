#include "front/exit_pause.h"

#include <cstdint>

#include "output/print.h"
#include "platform/sleep.h"
#include "platform/terminal.h"

namespace {

constexpr uint32_t SHORT_PAUSE_MS = 1500;
constexpr uint32_t TIMED_PAUSE_MS = 5000;

// Waits for a key pressed after the prompt appeared: one typed during the
// run must not end the wait before the operator could read the verdict.
void PromptAndAwaitKey() {
  DiscardTypedAhead();
  Print("\nPress any key to exit...");
  AwaitKeyPress();
}

}  // namespace

char ExitModeOf(const char16_t* argument) {
  if (argument[0] >= u'0' && argument[0] <= u'3' && argument[1] == 0) {
    return static_cast<char>(argument[0]);
  }
  return '2';
}

void WaitBeforeExit(char16_t** argv, int32_t code) {
  switch (ExitModeOf(argv[2])) {
    case '0':
      break;
    case '1':
      if (code >= FIRST_ERROR_CODE) {
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
