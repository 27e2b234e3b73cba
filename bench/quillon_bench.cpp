// make bench: each figure measured beside its floor, printed as one table.
//
//   1. A progress call that draws nothing, beside an empty call through the
//      same kind of function pointer (Google Benchmark).
//   2. The wall time of a whole successful run with a full bar, beside
//      `sleep 1.5`, the pause every run must make (alternating, medians).
//   3. The peak resident memory of a run with one retry.
//   4. System calls of a full run: writes per star, and none in the 1460
//      progress calls that draw nothing between the stars (strace).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "progress/progress_display.h"
#include "run/engine_contract.h"

extern char** environ;
void EmptyProgress(int32_t, int32_t);

namespace {

// --- 1. The progress call ---------------------------------------------------

void EmptyCall(benchmark::State& state) {
  ProgressFn volatile progress = EmptyProgress;
  for (auto _ : state) {
    progress(730, 3);
  }
}

void ProgressCallThatDrawsNothing(benchmark::State& state) {
  // An open bar with five stars: a call at 3 of 730 is below the next
  // threshold and short of the total, so it draws nothing.
  barStarted = true;
  barActive = true;
  starCount = 5;
  ProgressFn volatile progress = ProgressCallback;
  for (auto _ : state) {
    progress(730, 3);
  }
}

// Timings on a shared machine wander by a fifth from one repetition to the
// next, always upwards: the fastest of many repetitions is what is compared.
double Fastest(const std::vector<double>& times) { return *std::min_element(times.begin(), times.end()); }

BENCHMARK(EmptyCall)->Repetitions(15)->ComputeStatistics("min", Fastest)->ReportAggregatesOnly(true);
BENCHMARK(ProgressCallThatDrawsNothing)
    ->Repetitions(15)
    ->ComputeStatistics("min", Fastest)
    ->ReportAggregatesOnly(true);

// Prints Google Benchmark's own table, plain (no colour codes, so the output
// can go to a file), and keeps the fastest time of each benchmark.
class Collector : public benchmark::ConsoleReporter {
 public:
  Collector() : benchmark::ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.aggregate_name == "min") {
        nanoseconds[run.run_name.function_name] = run.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> nanoseconds;
};

// --- Runs of the program ----------------------------------------------------

struct Child {
  double seconds;
  long peakKiB;
  int status;
};

Child Spawn(const std::vector<std::string>& command, const std::string& output) {
  std::vector<char*> argv;
  std::vector<std::string> words = command;
  for (std::string& word : words) {
    argv.push_back(&word[0]);
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", argv[0]);
    std::exit(1);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  auto end = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  return Child{std::chrono::duration<double>(end - start).count(), usage.ru_maxrss,
               WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

std::string directory;

std::string WriteConfiguration(const std::string& name, const std::string& simulate) {
  std::string path = directory + "/" + name;
  std::ofstream(path) << "<configuration device=\"Quillon 3\">\n"
                         "  <setting name=\"scan-mode\" value=\"trigger\"/>\n"
                         "  <simulate pace-ms=\"0\">\n"
                      << simulate << "\n  </simulate>\n</configuration>\n";
  return path;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// From an strace log: the writes of a star, and the other system calls made
// between the first star and the last, where only progress calls happen (the
// stand-in engine makes none itself when it is not paced). A call split into
// "unfinished" and "resumed" counts once.
struct SyscallCount {
  long stars = 0;
  long betweenStars = 0;
};

SyscallCount CountSyscalls(const std::string& log) {
  SyscallCount count;
  long othersSinceStar = 0;
  std::ifstream in(log);
  std::string line;
  while (std::getline(in, line)) {
    if (line.find("resumed>") != std::string::npos || line.find("+++") != std::string::npos ||
        line.find("---") != std::string::npos) {
      continue;
    }
    if (line.find("write(1, \"*\", 1)") != std::string::npos) {
      if (count.stars > 0) {
        count.betweenStars += othersSinceStar;
      }
      othersSinceStar = 0;
      ++count.stars;
    } else {
      ++othersSinceStar;
    }
  }
  return count;
}

SyscallCount Traced(const std::string& configuration) {
  std::string log = directory + "/strace.log";
  Child run = Spawn({"strace", "-f", "-qq", "-o", log, QUILLON_EXE, configuration}, "/dev/null");
  if (run.status != 0) {
    std::fprintf(stderr, "strace run failed (status %d); is strace installed?\n", run.status);
    std::exit(1);
  }
  return CountSyscalls(log);
}

std::string Verdict(bool met) { return met ? "met" : "NOT MET"; }

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  double empty = collector.nanoseconds["EmptyCall"];
  double progress = collector.nanoseconds["ProgressCallThatDrawsNothing"];

  char pattern[] = "/tmp/quillon-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  directory = pattern;
  std::string fullBar = WriteConfiguration("full-bar.xml", "");
  std::string oneRetry = WriteConfiguration("one-retry.xml", "<attempt result=\"failure\" code=\"200\"/>");
  std::string quiet;
  for (int star = 1; star <= 73; ++star) {
    quiet += " " + std::to_string(star * 10 - 9);
    for (int nothing = 0; nothing < 20; ++nothing) {
      quiet += " " + std::to_string(star * 10 - 8);  // below the next threshold
    }
    quiet += " " + std::to_string(star * 10);
  }
  std::string withQuietCalls =
      WriteConfiguration("quiet-calls.xml", "<progress total=\"730\" values=\"" + quiet + "\"/>");

  const int rounds = 7;
  std::vector<double> runSeconds, sleepSeconds;
  for (int round = 0; round < rounds; ++round) {
    runSeconds.push_back(Spawn({QUILLON_EXE, fullBar}, "/dev/null").seconds);
    sleepSeconds.push_back(Spawn({"sleep", "1.5"}, "/dev/null").seconds);
  }
  double run = Median(runSeconds);
  double sleep = Median(sleepSeconds);

  long peakKiB = 0;
  for (int round = 0; round < 3; ++round) {
    peakKiB = std::max(peakKiB, Spawn({QUILLON_EXE, oneRetry}, "/dev/null").peakKiB);
  }

  SyscallCount plain = Traced(fullBar);
  // 73 drawing calls with 20 calls below the next threshold after each.
  SyscallCount quietCalls = Traced(withQuietCalls);

  std::printf("\n%-46s %14s %14s %8s %10s  %s\n", "figure", "measured", "floor", "ratio", "target", "");
  std::printf("%-46s %11.2f ns %11.2f ns %8.2f %10s  %s\n", "progress call that draws nothing (fastest)",
              progress, empty, progress / empty, "<= 2x", Verdict(progress / empty <= 2.0).c_str());
  std::printf("%-46s %12.4f s %12.4f s %8.4f %10s  %s\n", "full run, 73 stars (median of 7)", run, sleep,
              run / sleep, "<= 1.01x", Verdict(run / sleep <= 1.01).c_str());
  std::printf("%-46s %10.2f MiB %14s %8s %10s  %s\n", "peak resident memory, run with one retry",
              static_cast<double>(peakKiB) / 1024.0, "", "", "<= 4 MiB", Verdict(peakKiB <= 4096).c_str());
  std::printf("%-46s %14ld %14d %8s %10s  %s\n", "writes of a star, full run", plain.stars, 73, "",
              "1 a star", Verdict(plain.stars == 73).c_str());
  std::printf("%-46s %14ld %14d %8s %10s  %s\n", "system calls in 1460 progress calls drawing nothing",
              quietCalls.betweenStars, 0, "", "0",
              Verdict(quietCalls.betweenStars == 0 && quietCalls.stars == 73).c_str());

  std::string cleanup = "rm -rf " + directory;
  return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
