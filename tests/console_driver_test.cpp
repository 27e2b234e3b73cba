// The main line: banner, argument check, worker, final report, exit status.
#include <gtest/gtest.h>

#include "tests/fake_platform.h"
#include "tests/golden.h"

namespace {

using golden::HEADER;

using ConsoleDriver = fake::Fixture;

TEST_F(ConsoleDriver, WithoutPathAsksForOneAndExitsMinusOne) {
  for (auto arguments : {std::vector<std::string>{"quillon-config"}, std::vector<std::string>{}}) {
    fake::Run run = fake::RunProgram(arguments);
    EXPECT_EQ(run.transcript, golden::NO_PATH + "{sleep 1500}{exit -1}");
    EXPECT_EQ(run.status, -1);
  }
}

TEST_F(ConsoleDriver, SuccessfulRunReportsOnceAndExitsWithTheCode) {
  fake::engine.attempts = {{true, 0, {{730, 730}}}};
  fake::Run run = fake::RunProgram({"quillon-config", "setup.xml"});
  EXPECT_EQ(run.transcript, HEADER +
                                "{thread}{load Quennix.dll}{config}*{joined}"
                                "\nMessage 0. Return Code = 0\n{sleep 1500}{exit 0}");
}

TEST_F(ConsoleDriver, ExitStatusIsTheEnginesCode) {
  for (int32_t code : {0, 1, 99, 200, 316, -5, 256, INT32_MIN}) {
    fake::engine.attempts = {{true, code, {}}};
    fake::Run run = fake::RunProgram({"quillon-config", "setup.xml"});
    EXPECT_EQ(run.status, code);
    EXPECT_NE(run.transcript.find(" Return Code = " + std::to_string(code) + "\n{sleep 1500}{exit"),
              std::string::npos)
        << run.transcript;
  }
}

TEST_F(ConsoleDriver, EngineThatNeverLoadedShowsCodeZeroButExitsMinusOne) {
  fake::engine.present = false;
  fake::Run run = fake::RunProgram({"quillon-config", "setup.xml"});
  EXPECT_EQ(run.transcript,
            HEADER + "{thread}{load Quennix.dll}" + golden::LOAD_FAILURE +
                "{sleep 5000}{joined}\n{load Quennix.dll} Return Code = 0\n{sleep 1500}{exit -1}");
  EXPECT_EQ(run.status, -1);
}

// The console belongs to the run from the warning box to the exit, and is
// given back on every path that took it; the prompt waits for a key typed
// after it appeared.
TEST_F(ConsoleDriver, ConsoleIsHeldFromTheWarningBoxToTheExit) {
  fake::Run noPath = fake::RunProgram({"quillon-config"});
  EXPECT_TRUE(fake::consoleEvents.empty());

  fake::engine.attempts = {{true, 150, {}}};
  fake::Run run = fake::RunProgram({"quillon-config", "setup.xml", "2"});
  size_t prompt = run.transcript.rfind(golden::PROMPT);
  ASSERT_NE(prompt, std::string::npos);
  EXPECT_EQ(fake::consoleEvents,
            (std::vector<std::string>{"take at " + std::to_string(golden::BANNER.size()),
                                      "discard at " + std::to_string(prompt),
                                      "release at " + std::to_string(run.transcript.size() - 10)}));
  EXPECT_EQ(run.transcript.substr(run.transcript.size() - 10), "{exit 150}");

  fake::threadStartFails = true;
  fake::Run failed = fake::RunProgram({"quillon-config", "setup.xml"});
  EXPECT_EQ(fake::consoleEvents,
            (std::vector<std::string>{"take at " + std::to_string(golden::BANNER.size()),
                                      "release at " + std::to_string(failed.transcript.size() - 9)}));
}

TEST_F(ConsoleDriver, ThreadThatCannotStartEndsWithMinusOne) {
  fake::threadStartFails = true;
  fake::Run run = fake::RunProgram({"quillon-config", "setup.xml"});
  EXPECT_EQ(run.transcript,
            HEADER + "{thread failed}Error: could not create the config thread.{sleep 1500}{exit -1}");
}

TEST_F(ConsoleDriver, ArgumentsAfterTheExitModeHaveNoEffect) {
  fake::Run plain = fake::RunProgram({"quillon-config", "setup.xml", "0"});
  fake::Run extra = fake::RunProgram({"quillon-config", "setup.xml", "0", "2", "--verbose"});
  EXPECT_EQ(extra.transcript, plain.transcript);
  EXPECT_EQ(extra.status, plain.status);
}

TEST_F(ConsoleDriver, EmptyPathIsPassedOnLikeAnyOther) {
  fake::Run run = fake::RunProgram({"quillon-config", ""});
  ASSERT_EQ(fake::receivedPaths.size(), 1u);
  EXPECT_EQ(fake::receivedPaths[0], u"");
  EXPECT_EQ(run.status, 0);
}

}  // namespace
