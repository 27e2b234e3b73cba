#include "progress/progress_display.h"

#include <cstring>

#include "front/console.h"
#include "platform/sleep.h"

int32_t starCount = 0;
bool barActive = false;
bool barStarted = false;

namespace {

// Pause per star while a bar is completed in one go, so that the operator
// sees it fill rather than jump.
constexpr uint32_t FILL_STAR_MS = 20;

// The drawing paths are out of line: the engine calls far more often than a
// star is drawn, and the call that draws nothing then needs no stack frame.
[[gnu::noinline]] void DrawStar() {
  Print("*");
  // A bar long enough to reach the top of the counter stops growing rather
  // than wrapping it.
  if (starCount < INT32_MAX) {
    ++starCount;
  }
}

void OpenBar() {
  barActive = true;
  if (barStarted) {
    Print("\n");
    starCount = 0;
  } else {
    // The very first bar starts right under the dash rule.
    barStarted = true;
  }
}

[[gnu::noinline]] void CompleteBar() {
  barActive = false;
  while (starCount < BAR_WIDTH) {
    DrawStar();
    SleepMs(FILL_STAR_MS);
  }
}

// At most one star per call, so stars may lag behind a current that jumps
// ahead; a completion call below the threshold fills and closes the bar.
inline void DrawOnOpenBar(int32_t total, int32_t current) {
  int32_t step = total / BAR_WIDTH;
  int32_t n = starCount;
  // Computed in 64 bits: with a huge total the threshold is out of reach
  // rather than wrapped round to a small or negative number.
  int64_t threshold = (static_cast<int64_t>(n) + 1) * step;
  if (current >= threshold) {
    DrawStar();
  } else if (current == total) {
    CompleteBar();
  }
}

[[gnu::noinline]] void OpenBarAndDraw(int32_t total, int32_t current) {
  OpenBar();
  DrawOnOpenBar(total, current);
}

}  // namespace

void ShowProcessStatus() {
  // The scale: "0" in column 1, 68 blanks, "100%" in the last four columns.
  char blanks[BAR_WIDTH - 5 + 1];
  std::memset(blanks, ' ', sizeof blanks - 1);
  blanks[sizeof blanks - 1] = 0;
  char rule[BAR_WIDTH + 1];
  std::memset(rule, '-', sizeof rule - 1);
  rule[sizeof rule - 1] = 0;

  Print("Process Status:\n");
  Print("0");
  Print(blanks);
  PrintFormat("100%c\n", '%');
  Print(rule);
  Print("\n");
}

void ProgressCallback(int32_t total, int32_t current) {
  if (!barActive) {
    OpenBarAndDraw(total, current);
    return;
  }
  DrawOnOpenBar(total, current);
}
