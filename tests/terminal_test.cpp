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

INSTANTIATE_TEST_SUITE_P(Terminating, KeyPressSignal,
                         ::testing::Values(SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGUSR1, SIGALRM),
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

// --- The console during the run ---------------------------------------------

// A configuration whose stand-in engine holds after its 10th progress call
// (10 stars) until the test releases it.
e2e::Scenario Holding() {
  e2e::Scenario setup;
  setup.files["setup.xml"] =
      "<configuration device=\"Quillon 3\">\n"
      "  <simulate pace-ms=\"0\" hold-after=\"10\" hold-until=\"release\"/>\n"
      "</configuration>\n";
  return setup;
}

const std::string RULE_SHOWN = std::string(73, '-') + "\r\n";
const std::string BAR_SHOWN = RULE_SHOWN + std::string(73, '*') + "\r\nConfiguration completed successfully.";

bool InRunMode(const termios& now) { return (now.c_lflag & ECHO) == 0 && (now.c_iflag & IXON) == 0; }
bool InKeyMode(const termios& now) { return (now.c_lflag & (ICANON | ISIG)) == 0; }

// Waits until the engine holds with 10 stars shown: each star has reached
// the terminal the moment it was drawn, not at the end of the run.
void WaitForTheHold(TerminalProgram& program) {
  ASSERT_TRUE(program.WaitForOutput(RULE_SHOWN + std::string(10, '*'), 20000)) << program.output;
  ASSERT_TRUE(program.WaitForSettings(InRunMode, 5000)) << "the run's settings";
}

TEST(RunConsole, TypedKeysStayOutOfTheBarAndDoNotEndThePrompt) {
  TerminalProgram program(Holding(), {"setup.xml", "2"}, false);
  WaitForTheHold(program);
  // A scan: a code and Enter.
  program.Type("4006381333931\r");
  program.Release();
  ASSERT_TRUE(program.WaitForOutput(PROMPT_SHOWN, 20000)) << program.output;
  EXPECT_NE(program.output.find(BAR_SHOWN), std::string::npos) << "73 unbroken stars:\n" << program.output;
  EXPECT_EQ(program.output.find("4006381333931"), std::string::npos);

  // The prompt waits for a key typed after it appeared.
  ASSERT_TRUE(program.WaitForSettings(InKeyMode, 5000));
  program.WaitForExit(500);
  ASSERT_TRUE(program.Running()) << "the typed-ahead scan ended the wait";
  program.Type("k");
  EXPECT_EQ(program.WaitForExit(5000), 0);
  ExpectSameSettings(program.SettingsBefore(), program.Settings());
}

TEST(RunConsole, WithoutPromptTypedAheadIsLeftForTheShell) {
  TerminalProgram program(Holding(), {"setup.xml"}, false);
  WaitForTheHold(program);
  program.Type("ls\r");
  program.Release();
  EXPECT_EQ(program.WaitForExit(20000), 0);
  EXPECT_EQ(program.output.find("ls"), std::string::npos) << "typed keys are not shown";
  ExpectSameSettings(program.SettingsBefore(), program.Settings());
  EXPECT_EQ(program.UnreadInput(), "ls\n");
}

TEST(RunConsole, CtrlSDoesNotStallTheRun) {
  TerminalProgram program(Holding(), {"setup.xml"}, false);
  WaitForTheHold(program);
  program.Type("\x13");
  program.Release();
  EXPECT_EQ(program.WaitForExit(20000), 0) << "the output was held back";
  EXPECT_NE(program.output.find(BAR_SHOWN), std::string::npos) << program.output;
  ExpectSameSettings(program.SettingsBefore(), program.Settings());
}

TEST(RunConsole, TerminatingSignalDuringTheRunRestoresTheTerminal) {
  for (int signalNumber : {SIGTERM, SIGINT}) {
    TerminalProgram program(Holding(), {"setup.xml"}, false);
    WaitForTheHold(program);
    program.Signal(signalNumber);
    EXPECT_EQ(program.WaitForExit(5000), 128 + signalNumber) << strsignal(signalNumber);
    ExpectSameSettings(program.SettingsBefore(), program.Settings());
  }
}

TEST(RunConsole, CtrlCTypedDuringTheRunEndsIt) {
  TerminalProgram program(Holding(), {"setup.xml"}, false);
  WaitForTheHold(program);
  program.Type("\x03");
  EXPECT_EQ(program.WaitForExit(5000), 128 + SIGINT);
  ExpectSameSettings(program.SettingsBefore(), program.Settings());
}

// --- Job control and ignored signals ----------------------------------------

TEST(JobControl, StopAndContinueAtThePrompt) {
  TerminalProgram program(Succeeding(7), {"setup.xml", "2"}, false);
  ASSERT_TRUE(program.WaitForOutput(PROMPT_SHOWN, 20000));
  ASSERT_TRUE(program.WaitForSettings(InKeyMode, 5000));

  program.Signal(SIGTSTP);
  ASSERT_TRUE(program.WaitForStop(5000));
  ExpectSameSettings(program.SettingsBefore(), program.Settings());
  // The shell takes the terminal back in its own line mode, and later
  // continues the job in the foreground.
  program.SetSettings(program.SettingsBefore());
  program.Signal(SIGCONT);
  ASSERT_TRUE(program.WaitForSettings(InKeyMode, 5000)) << "the key wait's settings again";

  size_t shown = program.output.size();
  program.Type("k");
  EXPECT_EQ(program.WaitForExit(5000), 7);
  EXPECT_EQ(program.output.substr(shown), "") << "the key is not echoed";
  ExpectSameSettings(program.SettingsBefore(), program.Settings());
}

TEST(JobControl, StopAndContinueDuringTheRun) {
  TerminalProgram program(Holding(), {"setup.xml"}, false);
  WaitForTheHold(program);
  program.Signal(SIGTSTP);
  ASSERT_TRUE(program.WaitForStop(5000));
  ExpectSameSettings(program.SettingsBefore(), program.Settings());
  program.Signal(SIGCONT);
  ASSERT_TRUE(program.WaitForSettings(InRunMode, 5000));
  program.Release();
  EXPECT_EQ(program.WaitForExit(20000), 0);
  ExpectSameSettings(program.SettingsBefore(), program.Settings());
}

TEST(JobControl, HangUpIgnoredByTheCallerStaysIgnored) {
  TerminalProgram program(Succeeding(9), {"setup.xml", "2"}, false, SIGHUP);
  ASSERT_TRUE(program.WaitForOutput(PROMPT_SHOWN, 20000));
  ASSERT_TRUE(program.WaitForSettings(InKeyMode, 5000));
  program.Signal(SIGHUP);
  program.WaitForExit(300);
  ASSERT_TRUE(program.Running()) << "killed by an ignored hang-up";
  program.Type("k");
  EXPECT_EQ(program.WaitForExit(5000), 9);
  ExpectSameSettings(program.SettingsBefore(), program.Settings());
}
