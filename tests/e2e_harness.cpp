#include "tests/e2e_harness.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace e2e {

namespace {

// The programs under test. The build names them; the environment may point
// elsewhere, for instance at a build for another platform run through an
// emulator named by QUILLON_RUNNER.
std::string Configured(const char* variable, const char* built) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != 0 ? value : built;
}

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

void WriteFile(const std::string& path, const std::string& contents) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0755);
  }
  std::ofstream out(path, std::ios::binary);
  out << contents;
  if (!out) {
    throw std::runtime_error("cannot write " + path);
  }
}

void CopyFile(const std::string& from, const std::string& to) {
  WriteFile(to, ReadFile(from));
  chmod(to.c_str(), 0755);
}

std::string MakeDirectory() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != 0 ? base : "/tmp") + "/quillon-e2e-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back(0);
  if (mkdtemp(buffer.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  return buffer.data();
}

std::string ReadAll(int fd) {
  std::string all;
  char chunk[4096];
  ssize_t got;
  while ((got = read(fd, chunk, sizeof chunk)) != 0) {
    if (got < 0) {
      if (errno == EINTR) continue;
      break;
    }
    all.append(chunk, static_cast<size_t>(got));
  }
  return all;
}

}  // namespace

std::string ExamplesDirectory() { return QUILLON_SOURCE_DIR "/examples"; }

std::string Configuration(const std::string& simulate) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<configuration device=\"Quillon 3\">\n"
      "  <setting name=\"illumination\" value=\"auto\"/>\n"
      "  <setting name=\"beeper-volume\" value=\"low\"/>\n";
  if (!simulate.empty()) {
    xml += "  <simulate pace-ms=\"0\">\n" + simulate + "\n  </simulate>\n";
  }
  return xml + "</configuration>\n";
}

Result RunProgram(const Scenario& setup, const std::vector<std::string>& arguments) {
  std::string exe = Configured("QUILLON_EXE", QUILLON_EXE);
  std::string runner = Configured("QUILLON_RUNNER", "");
  std::string top = MakeDirectory();
  std::string directory = top;
  std::string program = top + "/" + BaseName(exe);
  if (setup.engineInWorkingDirectoryOnly) {
    program = top + "/bin/" + BaseName(exe);
    directory = top + "/work";
  }
  CopyFile(exe, program);
  switch (setup.engine) {
    case EngineBuild::Full:
      CopyFile(Configured("QUILLON_ENGINE", QUILLON_ENGINE), directory + "/Quennix.dll");
      break;
    case EngineBuild::NoMessage:
      CopyFile(Configured("QUILLON_ENGINE_NO_MESSAGE", QUILLON_ENGINE_NO_MESSAGE),
               directory + "/Quennix.dll");
      break;
    case EngineBuild::NoConfig:
      CopyFile(Configured("QUILLON_ENGINE_NO_CONFIG", QUILLON_ENGINE_NO_CONFIG), directory + "/Quennix.dll");
      break;
    case EngineBuild::None:
      break;
  }
  for (const auto& file : setup.files) {
    WriteFile(directory + "/" + file.first, file.second);
  }
  std::string tracePath = directory + "/trace.txt";
  std::string errPath = directory + "/stderr.txt";

  std::vector<std::string> command;
  if (!runner.empty()) {
    command.push_back(runner);
  }
  command.push_back(program);
  command.insert(command.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : command) {
    argv.push_back(&word[0]);
  }
  argv.push_back(nullptr);

  std::vector<std::string> environment;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    if (std::strncmp(*variable, "QUENNIX_TRACE=", 14) != 0) {
      environment.emplace_back(*variable);
    }
  }
  environment.push_back("QUENNIX_TRACE=" + tracePath);
  std::vector<char*> envp;
  for (std::string& variable : environment) {
    envp.push_back(&variable[0]);
  }
  envp.push_back(nullptr);

  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    throw std::runtime_error("pipe failed");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (setup.output == Output::Full) {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/full", O_WRONLY, 0);
  } else {
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  }
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
  posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());

  // A new session: the program has no controlling terminal, as in a
  // scheduled job, so no exit pause can wait for a key.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);

  pid_t child = 0;
  int spawned = posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(pipeFds[1]);
  if (spawned != 0) {
    close(pipeFds[0]);
    throw std::runtime_error("cannot start " + command[0]);
  }

  Result result;
  if (setup.output == Output::ClosedPipe) {
    close(pipeFds[0]);
  } else {
    result.out = ReadAll(pipeFds[0]);
    close(pipeFds[0]);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.err = ReadFile(errPath);
  result.trace = ReadFile(tracePath);

  if (std::getenv("QUILLON_KEEP_E2E") == nullptr) {
    std::error_code ignored;
    std::filesystem::remove_all(top, ignored);
  }
  return result;
}

}  // namespace e2e
