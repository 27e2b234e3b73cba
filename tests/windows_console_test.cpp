// The Windows build's exit pause at a real console: Wine on a tmux pane.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "tests/e2e_harness.h"

namespace {

std::string Quoted(const std::string& word) { return "'" + word + "'"; }

// Bits of a console input mode.
constexpr long ENABLE_QUICK_EDIT = 0x40;
constexpr long ENABLE_EXTENDED = 0x80;

std::string Capture(const std::string& tmux) {
  std::string output;
  if (std::FILE* pane = popen((tmux + " capture-pane -p -t quillon").c_str(), "r")) {
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, pane)) > 0) {
      output.append(chunk, got);
    }
    pclose(pane);
  }
  return output;
}

template <typename Condition>
bool WaitUntil(Condition condition, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

// The console's input mode as console-mode.exe prints it, or -1.
long ModeIn(const std::string& text) {
  size_t at = text.find("console-input-mode=0x");
  return at == std::string::npos ? -1 : std::strtol(text.c_str() + at + 21, nullptr, 16);
}

// At a console (Wine on a tmux pane): the input mode before the run, during
// it (the stand-in engine reads it while it holds) and after the exit pause.
// QuickEdit is off during the run, the found mode is back afterwards, and
// the prompt waits for a key.
//
// What Wine cannot show: each program Wine starts on a terminal gets a
// console of its own, so the mode found after the run would be the same even
// if the program had not restored it (on Windows the console outlives the
// program, and the check counts); and Wine's console reads the terminal only
// when a program asks for a key, so a key typed during the run cannot be
// discarded before the prompt (a Windows console queues keys as they are
// typed, and FlushConsoleInputBuffer discards them).
TEST(WindowsConsole, RunHoldsTheConsoleAndGivesItBack) {
  e2e::Scenario setup;
  setup.files["setup.xml"] =
      "<configuration device=\"Quillon 3\">\n"
      "  <simulate pace-ms=\"0\" hold-after=\"10\" hold-until=\"release\"/>\n"
      "</configuration>\n";
  std::unique_ptr<e2e::Prepared> run = e2e::PrepareRun(setup, {"setup.xml", "2"});

  // The programs' own clean environment, not the tmux server's.
  std::string environment = "env -i";
  for (const std::string& variable : run->environment) {
    environment += " " + Quoted(variable);
  }
  std::string program;
  for (const std::string& word : run->command) {
    program += " " + Quoted(word);
  }
  std::string exe = QUILLON_EXE;
  std::string probe = environment + " " + Quoted(run->command[0]) + " " +
                      Quoted(exe.substr(0, exe.rfind('/')) + "/console-mode.exe");
  std::string directory = Quoted(run->directory);
  std::string statusFile = run->directory + "/status.txt";
  std::string script = "cd " + directory + " && " + probe + " > before.txt; " + environment + program +
                       "; echo $? > status.txt; " + probe + " > after.txt; sleep 60";
  // A tmux server of the test's own.
  std::string tmux = "tmux -f /dev/null -L quillon-" + std::to_string(getpid());
  ASSERT_EQ(std::system((tmux + " new-session -d -s quillon -x 100 -y 50 " + Quoted(script)).c_str()), 0);

  std::string trace = run->directory + "/trace.txt";
  bool held = WaitUntil([&] { return e2e::ReadFile(trace).find("hold") != std::string::npos; }, 60000);
  EXPECT_TRUE(held) << Capture(tmux);
  if (held) {
    e2e::WriteFile(run->directory + "/release", "");
  }
  bool prompted =
      WaitUntil([&] { return Capture(tmux).find("Press any key to exit...") != std::string::npos; }, 60000);
  EXPECT_TRUE(prompted) << Capture(tmux);
  if (prompted) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_EQ(e2e::ReadFile(statusFile), "") << "still waiting for the key";
    ASSERT_EQ(std::system((tmux + " send-keys -t quillon k").c_str()), 0);
    EXPECT_TRUE(WaitUntil([&] { return !e2e::ReadFile(run->directory + "/after.txt").empty(); }, 30000));
    EXPECT_EQ(e2e::ReadFile(statusFile), "0\n");
  }

  long before = ModeIn(e2e::ReadFile(run->directory + "/before.txt"));
  long during = ModeIn(e2e::ReadFile(trace));
  long after = ModeIn(e2e::ReadFile(run->directory + "/after.txt"));
  ASSERT_GE(before, 0) << "no console under the test";
  EXPECT_EQ(during & (ENABLE_QUICK_EDIT | ENABLE_EXTENDED), ENABLE_EXTENDED) << std::hex << during;
  EXPECT_EQ(after, before) << std::hex << before << " then " << after;
  std::system((tmux + " kill-server").c_str());
  e2e::CleanUpRun(*run);
}

}  // namespace
