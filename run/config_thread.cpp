#include "run/config_thread.h"

#include <string>

#include "output/print.h"
#include "platform/sleep.h"
#include "run/engine_binding.h"

namespace {

// Pause between a failed attempt's report and the next attempt.
constexpr uint32_t RETRY_PAUSE_MS = 1500;

void RunAttemptsWithRetries(const char16_t* xmlPath) {
  int32_t retryCount = 0;
  for (;;) {
    RunAttempt(xmlPath);
    // The order of these tests decides every case. The terminal test reads
    // whatever returnCode holds now, which an earlier attempt may have left
    // when the latest one did not reach the engine.
    if (IsTerminalCode(returnCode) || configLibrary == nullptr || lastAttemptOk == 1 ||
        retryCount == MAX_RETRIES) {
      return;
    }
    ReportReturnCode();
    ++retryCount;
    PrintFormat("Re-try attempt #%d.\n", retryCount);
    SleepMs(RETRY_PAUSE_MS);
  }
}

}  // namespace

bool IsTerminalCode(int32_t code) {
  for (int32_t terminal : TERMINAL_CODES) {
    if (code == terminal) {
      return true;
    }
  }
  return false;
}

uint32_t ConfigThread(void* parameter) {
  lastAttemptOk = 0;

  // The worker's own copy of the path, unit for unit and however long.
  std::u16string xmlPath(static_cast<const char16_t*>(parameter));

  RunAttemptsWithRetries(xmlPath.c_str());
  return 0;
}
