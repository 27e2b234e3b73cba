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

TEST(WindowsConsole, ExitModeTwoWaitsForAKeyAtTheConsole) {
  std::unique_ptr<e2e::Prepared> run = e2e::PrepareRun(e2e::Succeeding(42), {"setup.xml", "2"});

  // The program's own clean environment, not the tmux server's.
  std::string command = "env -i";
  for (const std::string& variable : run->environment) {
    command += " " + Quoted(variable);
  }
  for (const std::string& word : run->command) {
    command += " " + Quoted(word);
  }
  std::string statusFile = run->directory + "/status.txt";
  std::string script =
      "cd " + Quoted(run->directory) + " && " + command + " ; echo $? > " + Quoted(statusFile) + "; sleep 60";
  // A tmux server of the test's own, with this process's environment.
  std::string tmux = "tmux -f /dev/null -L quillon-" + std::to_string(getpid());
  ASSERT_EQ(std::system((tmux + " new-session -d -s quillon -x 100 -y 50 " + Quoted(script)).c_str()), 0);

  bool prompted =
      WaitUntil([&] { return Capture(tmux).find("Press any key to exit...") != std::string::npos; }, 60000);
  EXPECT_TRUE(prompted) << Capture(tmux);
  if (prompted) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_EQ(e2e::ReadFile(statusFile), "") << "still waiting for the key";
    ASSERT_EQ(std::system((tmux + " send-keys -t quillon x").c_str()), 0);
    EXPECT_TRUE(WaitUntil([&] { return !e2e::ReadFile(statusFile).empty(); }, 20000));
    EXPECT_EQ(e2e::ReadFile(statusFile), "42\n");
  }
  std::system((tmux + " kill-server").c_str());
  e2e::CleanUpRun(*run);
}

}  // namespace
