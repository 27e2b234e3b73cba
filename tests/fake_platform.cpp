#include "tests/fake_platform.h"

#include <string>
#include <thread>

#include "front/console_driver.h"
#include "platform/console.h"
#include "platform/library.h"
#include "platform/process.h"
#include "platform/sleep.h"
#include "platform/terminal.h"
#include "platform/thread.h"
#include "progress/progress_display.h"
#include "run/engine_binding.h"

namespace fake {

Engine engine;
bool threadStartFails = false;
std::string transcript;
std::vector<std::u16string> receivedPaths;
std::vector<int32_t> receivedCapacities;
std::vector<std::string> consoleEvents;

namespace {

size_t callsMade = 0;
int libraryToken = 0;

void Mark(const std::string& event) { transcript += "{" + event + "}"; }

uint8_t FakeConfigFromXmlFile(const char16_t* path, int32_t* returnCode, ProgressFn progress,
                              int32_t reserved) {
  Mark(reserved == 0 ? "config" : "config reserved=" + std::to_string(reserved));
  receivedPaths.emplace_back(path);
  Attempt attempt;
  if (callsMade < engine.attempts.size()) {
    attempt = engine.attempts[callsMade];
  }
  ++callsMade;
  for (const auto& call : attempt.progress) {
    progress(call.first, call.second);
  }
  *returnCode = attempt.code;
  return attempt.ok ? 1 : 0;
}

uint8_t FakeGetReturnCodeMessage(char16_t* buffer, int32_t* capacity, int32_t code) {
  receivedCapacities.push_back(*capacity);
  std::u16string text;
  auto found = engine.messages.find(code);
  if (found != engine.messages.end()) {
    text = found->second;
  } else {
    for (char c : "Message " + std::to_string(code) + ".") {
      text.push_back(static_cast<char16_t>(c));
    }
  }
  if (engine.unterminatedMessage) {
    for (int32_t i = 0; i < *capacity; ++i) {
      buffer[i] = text[static_cast<size_t>(i) % text.size()];
    }
    return 1;
  }
  text.resize(std::min(text.size(), static_cast<size_t>(*capacity) - 1));
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
  return 1;
}

}  // namespace

void ResetProgramState() {
  configLibrary = nullptr;
  configFromXmlFile = nullptr;
  getReturnCodeMessage = nullptr;
  returnCode = 0;
  lastAttemptOk = 0;
  engineReached = false;
  starCount = 0;
  barActive = false;
  barStarted = false;
}

Run RunProgram(const std::vector<std::string>& arguments) {
  std::vector<std::u16string> wide;
  for (const std::string& argument : arguments) {
    wide.emplace_back(argument.begin(), argument.end());
  }
  return RunProgramWide(wide);
}

Run RunProgramWide(std::vector<std::u16string> arguments) {
  ResetProgramState();
  transcript.clear();
  receivedPaths.clear();
  receivedCapacities.clear();
  consoleEvents.clear();
  callsMade = 0;

  std::vector<char16_t*> argv;
  for (std::u16string& argument : arguments) {
    argv.push_back(&argument[0]);
  }
  argv.push_back(nullptr);
  try {
    ConsoleMain(static_cast<int>(arguments.size()), argv.data());
  } catch (const ProcessEnded& ended) {
    return Run{transcript, ended.status};
  }
}

}  // namespace fake

using fake::Mark;

// --- The platform layer, recorded -------------------------------------------

void PrepareConsole() {}

void WriteOut(const char* data, size_t length) { fake::transcript.append(data, length); }

void SleepMs(uint32_t milliseconds) { Mark("sleep " + std::to_string(milliseconds)); }

void AwaitKeyPress() { Mark("key"); }

void TakeConsole() { fake::consoleEvents.push_back("take at " + std::to_string(fake::transcript.size())); }

void DiscardTypedAhead() {
  fake::consoleEvents.push_back("discard at " + std::to_string(fake::transcript.size()));
}

void ReleaseConsole() {
  fake::consoleEvents.push_back("release at " + std::to_string(fake::transcript.size()));
}

void EndProcess(int32_t status) {
  Mark("exit " + std::to_string(status));
  throw fake::ProcessEnded{status};
}

LibraryHandle OpenLibrary(const char16_t* fileName) {
  std::string name;
  for (const char16_t* unit = fileName; *unit != 0; ++unit) {
    name.push_back(static_cast<char>(*unit));
  }
  Mark("load " + name);
  return fake::engine.present ? reinterpret_cast<LibraryHandle>(&fake::libraryToken) : nullptr;
}

LibrarySymbol FindSymbol(LibraryHandle, const char* name) {
  std::string wanted = name;
  if (wanted == "ConfigFromXmlFile" && fake::engine.exportsConfig) {
    return reinterpret_cast<LibrarySymbol>(fake::FakeConfigFromXmlFile);
  }
  if (wanted == "GetReturnCodeMessage" && fake::engine.exportsMessage) {
    return reinterpret_cast<LibrarySymbol>(fake::FakeGetReturnCodeMessage);
  }
  return nullptr;
}

void CloseLibrary(LibraryHandle) { Mark("free"); }

struct PlatformThread {
  std::thread thread;
};

ThreadHandle StartThread(ThreadRoutine routine, void* parameter) {
  if (fake::threadStartFails) {
    Mark("thread failed");
    return nullptr;
  }
  Mark("thread");
  return new PlatformThread{std::thread(routine, parameter)};
}

void AwaitThread(ThreadHandle thread) {
  thread->thread.join();
  Mark("joined");
}

void CloseThread(ThreadHandle thread) { delete thread; }
