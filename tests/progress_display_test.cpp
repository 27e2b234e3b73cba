// The status scale and the star bar, called directly as the engine would.
#include "progress/progress_display.h"

#include <gtest/gtest.h>

#include <climits>

#include "tests/case_name.h"
#include "tests/fake_platform.h"
#include "tests/golden.h"

namespace {

using golden::Bar;
using Calls = std::vector<std::pair<int32_t, int32_t>>;

Calls Range(int32_t total, int32_t from, int32_t to, int32_t step) {
  Calls calls;
  for (int32_t current = from; current <= to; current += step) {
    calls.emplace_back(total, current);
  }
  return calls;
}

Calls Repeat(int32_t total, int32_t current, int times) {
  return Calls(static_cast<size_t>(times), {total, current});
}

Calls Concat(Calls first, const Calls& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

std::string Draw(const Calls& calls) {
  for (const auto& call : calls) {
    ProgressCallback(call.first, call.second);
  }
  return fake::transcript;
}

class ProgressDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetProgramState();
    fake::transcript.clear();
  }
};

TEST_F(ProgressDisplay, ScaleIsThreeLinesOfTheBarWidth) {
  ShowProcessStatus();
  EXPECT_EQ(fake::transcript, golden::SCALE);
}

struct BarCase {
  const char* name;
  friend void PrintTo(const BarCase& tested, std::ostream* out) { *out << tested.name; }
  Calls calls;
  std::string drawn;
  bool openAfterwards;
};

std::string FilledWithPauses(int stars) {
  std::string drawn;
  for (int i = 0; i < stars; ++i) {
    drawn += "*{sleep 20}";
  }
  return drawn;
}

class BarDrawing : public ProgressDisplay, public ::testing::WithParamInterface<BarCase> {};

TEST_P(BarDrawing, DrawsExactly) {
  const BarCase& bar = GetParam();
  EXPECT_EQ(Draw(bar.calls), bar.drawn);
  EXPECT_EQ(barActive, bar.openAfterwards);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, BarDrawing,
    ::testing::Values(
        // One star per call; the last call draws the 73rd and leaves the bar open.
        BarCase{"EvenSteps", Range(730, 10, 730, 10), Bar(73), true},
        // The threshold is met by a single completion call: one star, not a full bar.
        BarCase{"SingleCompletionCall", Repeat(730, 730, 1), Bar(1), true},
        BarCase{"RepeatedCompletionCall", Repeat(730, 730, 2), Bar(2), true},
        // Stars lag behind a current that jumps ahead: at most one per call.
        BarCase{"JumpsAhead", Calls{{730, 500}, {730, 600}}, Bar(2), true},
        // Below 73 the step is 0, so every call draws and the bar may run long.
        BarCase{"SmallTotalAtZero", Repeat(50, 0, 1), Bar(1), true},
        BarCase{"SmallTotalRunsPastTheWidth", Repeat(72, 1, 80), Bar(80), true},
        // A total that is not a multiple of 73 keeps drawing past the width.
        BarCase{"UnevenTotal", Range(100, 1, 100, 1), Bar(100), true},
        // Below the first threshold and short of the total: an open, empty bar.
        BarCase{"FirstCallBelowThreshold", Calls{{730, 5}}, "", true},
        // Out of reach after the full width: the completion call closes the bar
        // without drawing, and the next call starts a new line.
        BarCase{"ClosedAfterFullWidth",
                Concat(Range(730, 10, 730, 10), Calls{{730, 730}, {730, 730}, {730, 10}}), Bar(73) + "\n*",
                true},
        // With the largest total the threshold past 73 stars exceeds 32 bits;
        // it must stay out of reach instead of wrapping to a negative number.
        BarCase{"HugeTotalDoesNotWrap", Repeat(INT32_MAX, INT32_MAX, 75), Bar(73) + "\n*", true},
        // A completion call that misses the threshold fills the rest of the
        // bar, one star every 20 ms, and closes it.
        BarCase{"CompletionFillsTheBar", Calls{{-5, -5}}, FilledWithPauses(73), false},
        BarCase{"CompletionFillsTheRest", Calls{{-5, 0}, {-5, 0}, {-5, -5}}, Bar(2) + FilledWithPauses(71),
                false}),
    CaseName());

TEST_F(ProgressDisplay, NewBarStartsOnAFreshLineOnlyAfterAnEarlierOne) {
  barActive = false;  // closed, as after a report
  ProgressCallback(730, 10);
  EXPECT_EQ(fake::transcript, "*") << "no bar before: the first starts under the rule";
  barActive = false;
  starCount = 0;
  ProgressCallback(730, 10);
  EXPECT_EQ(fake::transcript, "*\n*");
  EXPECT_EQ(starCount, 1);
}

}  // namespace
