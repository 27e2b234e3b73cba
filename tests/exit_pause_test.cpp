// The exit modes, at both places the driver pauses.
#include "front/exit_pause.h"

#include <gtest/gtest.h>

#include "tests/fake_platform.h"
#include "tests/golden.h"

namespace {

using golden::PROMPT;

struct PauseCase {
  std::vector<std::string> modeArguments;  // empty: no exit mode given
  int32_t code;
  std::string pause;  // what comes between the final pause and the exit
};

std::string Describe(const PauseCase& pause) {
  std::string name = pause.modeArguments.empty() ? "none" : "'" + pause.modeArguments[0] + "'";
  return name + " with code " + std::to_string(pause.code);
}

const std::string KEY = PROMPT + "{key}";

const PauseCase PAUSES[] = {
    {{}, 500, ""},
    {{"0"}, 500, ""},
    {{"1"}, 99, "{sleep 1500}"},
    {{"1"}, 100, KEY},
    {{"1"}, -5, "{sleep 1500}"},
    {{"2"}, 0, KEY},
    {{"3"}, 500, "{sleep 5000}"},
    {{"10"}, 0, KEY},
    {{"1x"}, 0, KEY},
    {{"4"}, 0, KEY},
    {{""}, 0, KEY},
    {{"3", "0"}, 0, "{sleep 5000}"},
};

TEST(ExitPause, AfterTheFinalReport) {
  for (const PauseCase& pause : PAUSES) {
    fake::engine = fake::Engine();
    fake::engine.attempts = {{true, pause.code, {}}};
    std::vector<std::string> arguments = {"quillon-config", "setup.xml"};
    arguments.insert(arguments.end(), pause.modeArguments.begin(), pause.modeArguments.end());
    fake::Run run = fake::RunProgram(arguments);
    std::string report = " Return Code = " + std::to_string(pause.code) + "\n{sleep 1500}";
    std::string expectedEnd = report + pause.pause + "{exit " + std::to_string(pause.code) + "}";
    ASSERT_GE(run.transcript.size(), expectedEnd.size());
    EXPECT_EQ(run.transcript.substr(run.transcript.size() - expectedEnd.size()), expectedEnd)
        << Describe(pause);
  }
}

TEST(ExitPause, AfterTheThreadStartError) {
  // returnCode is still 0 here, so mode "1" only waits.
  const std::pair<const char*, std::string> modes[] = {
      {"0", ""}, {"1", "{sleep 1500}"}, {"2", KEY}, {"3", "{sleep 5000}"}};
  for (const auto& mode : modes) {
    fake::engine = fake::Engine();
    fake::threadStartFails = true;
    fake::Run run = fake::RunProgram({"quillon-config", "setup.xml", mode.first});
    fake::threadStartFails = false;
    EXPECT_EQ(run.transcript, golden::HEADER +
                                  "{thread failed}Error: could not create the config thread.{sleep 1500}" +
                                  mode.second + "{exit -1}")
        << mode.first;
  }
}

TEST(ExitPause, ModeCountsOnlyAsExactlyOneDigitFromZeroToThree) {
  EXPECT_EQ(ExitModeOf(u"0"), '0');
  EXPECT_EQ(ExitModeOf(u"3"), '3');
  // A wide digit whose low byte is '1' is not the digit.
  for (const char16_t* other : {u"", u"4", u"00", u"1 ", u" 1", u"x", u"-1", u"\u0131", u"\uFF11"}) {
    EXPECT_EQ(ExitModeOf(other), '2') << "first unit " << static_cast<int>(other[0]);
  }
}

}  // namespace
