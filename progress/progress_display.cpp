#include "progress/progress_display.h"

#include <cstring>

#include "output/print.h"
#include "platform/sleep.h"

int32_t starCount = 0;
bool barActive = false;
bool barStarted = false;

namespace {

// Pause per star while a bar is completed in one go, so that the operator
// sees it fill rather than jump.
constexpr uint32_t FILL_STAR_MS = 20;

// The engine calls far more often than a star is drawn. Opening, drawing and
// completing a bar are out of line, so that the call that draws nothing stays
// short (make bench measures it beside an empty call).
[[gnu::noinline]] void DrawStar() {
  Print("*");
  // A bar long enough to reach the top of the counter stops growing rather
  // than wrapping it.
  if (starCount < INT32_MAX) {
    ++starCount;
  }
}

[[gnu::noinline]] void OpenBar() {
  barActive = true;
  if (barStarted) {
    // Every later bar starts on a fresh line.
    Print("\n");
    starCount = 0;
  } else {
    // The very first bar of the run starts right under the dash rule.
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
  // 1. A closed bar opens first.
  if (!barActive) {
    OpenBar();
  }
  // 2. One star per 1/73 of the total, truncated toward zero.
  int32_t step = total / BAR_WIDTH;
  // 3. The stars so far, read once.
  int32_t n = starCount;
  // 4. At most one star per call, so stars may lag behind a current that
  //    jumps ahead. The threshold is computed in 64 bits: with a huge total it
  //    is out of reach rather than wrapped round to a small number.
  if (current >= (static_cast<int64_t>(n) + 1) * step) {
    DrawStar();
    return;
  }
  // 5. A completion call below the threshold fills and closes the bar.
  if (current == total) {
    CompleteBar();
  }
  // 6. Otherwise nothing is drawn.
}

void ResetBarForAttempt() {
  starCount = 0;
  barActive = false;
}

void CloseBarAfterReport() { barActive = false; }
