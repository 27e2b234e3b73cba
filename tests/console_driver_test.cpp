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
