// The exit pause at a real terminal: a pseudo-terminal of the test's own.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

#include "tests/e2e_harness.h"

namespace {

using e2e::Succeeding;
using e2e::TerminalProgram;

// The settings an operator would notice: modes and control characters.
void ExpectSameSettings(const termios& before, const termios& after) {
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_EQ(after.c_oflag, before.c_oflag);
  EXPECT_EQ(after.c_cflag, before.c_cflag);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(std::memcmp(after.c_cc, before.c_cc, sizeof before.c_cc), 0);
}

// The prompt as the terminal shows it: output processing turns "\n" into "\r\n".
const char PROMPT_SHOWN[] = "\r\nPress any key to exit...";

struct KeyCase {
  const char* name;
  bool stdinFromDevNull;
  std::string key;
  friend void PrintTo(const KeyCase& tested, std::ostream* out) { *out << tested.name; }
};

class KeyPress : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyPress, WaitsForOneKeyAndLeavesTheTerminalAsItWas) {
  const KeyCase& key = GetParam();
  TerminalProgram program(Succeeding(150), {"setup.xml", "2"}, key.stdinFromDevNull);
  ASSERT_TRUE(program.WaitForOutput(PROMPT_SHOWN, 20000)) << program.output;
  size_t shown = program.output.size();

  // Long after the prompt, still waiting.
  program.WaitForExit(700);
  ASSERT_TRUE(program.Running());

  program.Type(key.key);
  EXPECT_EQ(program.WaitForExit(5000), 150);
  EXPECT_EQ(program.output.substr(shown), "") << "the key is not echoed, nothing follows the prompt";
  ExpectSameSettings(program.SettingsBefore(), program.Settings());
  EXPECT_EQ(program.UnreadInput(), "") << "every byte of the key has been read";
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyPress,
                         ::testing::Values(KeyCase{"Letter", false, "x"}, KeyCase{"Enter", false, "\r"},
                                           // Signal keys are read as keys while the terminal is raw.
                                           KeyCase{"CtrlC", false, "\x03"},
                                           KeyCase{"ArrowKey", false, "\x1b[A"},
                                           KeyCase{"FunctionKey", false, "\x1b[15~"},
                                           // Redirected input does not end the wait: the terminal does.
                                           KeyCase{"StdinFromDevNull", true, "q"}),
                         [](const ::testing::TestParamInfo<KeyCase>& tested) {
                           return std::string(tested.param.name);
                         });

class KeyPressSignal : public ::testing::TestWithParam<int> {};

TEST_P(KeyPressSignal, RestoresTheTerminalFirst) {
  int signalNumber = GetParam();
  TerminalProgram program(Succeeding(0), {"setup.xml", "2"}, false);
  ASSERT_TRUE(program.WaitForOutput(PROMPT_SHOWN, 20000));
  program.WaitForExit(300);
  program.Signal(signalNumber);
  EXPECT_EQ(program.WaitForExit(5000), 128 + signalNumber) << strsignal(signalNumber);
  ExpectSameSettings(program.SettingsBefore(), program.Settings());
}

INSTANTIATE_TEST_SUITE_P(Terminating, KeyPressSignal, ::testing::Values(SIGTERM, SIGHUP, SIGINT, SIGQUIT),
                         [](const ::testing::TestParamInfo<int>& tested) {
                           return std::string(sigabbrev_np(tested.param));
                         });

TEST(KeyPressModes, ModeOneWithoutAnErrorOnlyWaits) {
  TerminalProgram quiet(Succeeding(99), {"setup.xml", "1"}, false);
  EXPECT_EQ(quiet.WaitForExit(20000), 99);
  EXPECT_EQ(quiet.output.find("Press any key"), std::string::npos);
}

TEST(KeyPressModes, ModeOneAfterAnErrorWaitsForAKey) {
  TerminalProgram error(Succeeding(100), {"setup.xml", "1"}, false);
  ASSERT_TRUE(error.WaitForOutput(PROMPT_SHOWN, 20000));
  error.Type("k");
  EXPECT_EQ(error.WaitForExit(5000), 100);
}

}  // namespace
