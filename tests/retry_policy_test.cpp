// The retry loop: which outcomes are tried again, and what stands between
// the attempts.
#include <gtest/gtest.h>

#include "tests/case_name.h"
#include "tests/fake_platform.h"
#include "tests/golden.h"

namespace {

using golden::HEADER;

std::string Report(int32_t code) {
  return "\nMessage " + std::to_string(code) + ". Return Code = " + std::to_string(code) + "\n";
}

std::string Retry(int32_t failedCode, int number) {
  return Report(failedCode) + "Re-try attempt #" + std::to_string(number) + ".\n{sleep 1500}";
}

struct RetryCase {
  const char* name;
  friend void PrintTo(const RetryCase& tested, std::ostream* out) { *out << tested.name; }
  std::vector<fake::Attempt> attempts;
  std::string afterStart;  // everything after the worker has started
  int32_t status;
};

class RetryPolicy : public ::testing::TestWithParam<RetryCase> {};

TEST_P(RetryPolicy, RunsAndReportsEachAttemptOnce) {
  const RetryCase& retry = GetParam();
  fake::engine = fake::Engine();
  fake::engine.attempts = retry.attempts;
  fake::Run run = fake::RunProgram({"quillon-config", "setup.xml"});
  EXPECT_EQ(run.transcript, HEADER + "{thread}{load Quennix.dll}" + retry.afterStart);
  EXPECT_EQ(run.status, retry.status);
}

const std::string END = "{sleep 1500}{exit ";

INSTANTIATE_TEST_SUITE_P(
    Outcomes, RetryPolicy,
    ::testing::Values(
        RetryCase{"SuccessAtOnce", {{true, 0, {}}}, "{config}{joined}" + Report(0) + END + "0}", 0},
        RetryCase{"FourFailures",
                  {{false, 200, {}}, {false, 200, {}}, {false, 200, {}}, {false, 200, {}}, {true, 0, {}}},
                  "{config}" + Retry(200, 1) + "{config}" + Retry(200, 2) + "{config}" + Retry(200, 3) +
                      "{config}{joined}" + Report(200) + END + "200}",
                  200},
        // Each of the four terminal codes ends the run at once.
        RetryCase{
            "Terminal302AtFirst", {{false, 302, {}}}, "{config}{joined}" + Report(302) + END + "302}", 302},
        RetryCase{
            "Terminal307AtFirst", {{false, 307, {}}}, "{config}{joined}" + Report(307) + END + "307}", 307},
        RetryCase{
            "Terminal315AtFirst", {{false, 315, {}}}, "{config}{joined}" + Report(315) + END + "315}", 315},
        RetryCase{
            "Terminal316AtFirst", {{false, 316, {}}}, "{config}{joined}" + Report(316) + END + "316}", 316},
        RetryCase{"TerminalAtSecond",
                  {{false, 200, {}}, {false, 315, {}}},
                  "{config}" + Retry(200, 1) + "{config}{joined}" + Report(315) + END + "315}",
                  315},
        RetryCase{"FailureThenSuccess",
                  {{false, 200, {}}, {true, 0, {}}},
                  "{config}" + Retry(200, 1) + "{config}{joined}" + Report(0) + END + "0}",
                  0},
        // The success flag alone decides: a low code that failed is retried...
        RetryCase{"FailureWithLowCode",
                  {{false, 50, {}}, {true, 0, {}}},
                  "{config}" + Retry(50, 1) + "{config}{joined}" + Report(0) + END + "0}",
                  0},
        // ...and a high code that succeeded is not.
        RetryCase{
            "SuccessWithHighCode", {{true, 150, {}}}, "{config}{joined}" + Report(150) + END + "150}", 150},
        // Each retry's bar starts on a fresh line after the retry line, so an
        // empty line stands between them.
        RetryCase{"BarsOfEachAttempt",
                  {{false, 200, {{730, 10}, {730, 20}}}, {true, 0, {{730, 10}}}},
                  "{config}**" + Retry(200, 1) + "{config}\n*{joined}" + Report(0) + END + "0}",
                  0}),
    CaseName());

TEST(RetryPolicyLoad, LoadFailureIsNeverRetried) {
  fake::engine = fake::Engine();
  fake::engine.present = false;
  fake::Run run = fake::RunProgram({"quillon-config", "setup.xml"});
  EXPECT_EQ(run.transcript.find("Re-try"), std::string::npos);
  EXPECT_EQ(run.status, -1);
}

TEST(RetryPolicyLoad, EngineIsLoadedOnceForAllAttempts) {
  fake::engine = fake::Engine();
  fake::engine.attempts = {{false, 200, {}}, {false, 200, {}}};
  fake::Run run = fake::RunProgram({"quillon-config", "setup.xml"});
  size_t first = run.transcript.find("{load");
  EXPECT_EQ(run.transcript.find("{load", first + 1), std::string::npos);
}

}  // namespace
