// Binding the engine, the path handed to it, and the report of a code.
#include <gtest/gtest.h>

#include "tests/case_name.h"
#include "tests/fake_platform.h"
#include "tests/golden.h"

namespace {

using golden::HEADER;

using EngineBinding = fake::Fixture;

// What follows the worker's start when one entry point is missing: the
// library is released again, the attempt fails without retry, and the report
// tries the load once more, silently, and shows code 0.
TEST_F(EngineBinding, MissingEntryPointReleasesTheLibraryAndReportsCodeZero) {
  for (bool lackMessage : {true, false}) {
    fake::engine = fake::Engine();
    (lackMessage ? fake::engine.exportsMessage : fake::engine.exportsConfig) = false;
    fake::Run run = fake::RunProgram({"quillon-config", "setup.xml"});
    EXPECT_EQ(run.transcript,
              HEADER + "{thread}{load Quennix.dll}{free}" + golden::LOAD_FAILURE +
                  "{sleep 5000}{joined}\n{load Quennix.dll}{free} Return Code = 0\n{sleep 1500}{exit -1}");
    EXPECT_EQ(run.status, -1);
  }
}

// The arguments arrive as 16-bit text (on Linux each byte as the unit of the
// same value, on Windows the command line's own text) and reach the engine
// unit for unit, whatever lies beyond one byte.
TEST_F(EngineBinding, PathUnitsReachTheEngineUnchanged) {
  const std::u16string path =
      u"C:\\Config\\caf\u00E9 \u0080\u00FF \u043A\u0444 \u8A2D \uFF3C\uFF02 \U0001F600.xml";
  fake::RunProgramWide({u"quillon-config", path});
  ASSERT_EQ(fake::receivedPaths.size(), 1u);
  EXPECT_EQ(fake::receivedPaths[0], path);
}

TEST_F(EngineBinding, PathReachesTheEngineWholeWhateverItsLength) {
  for (size_t length : {255u, 256u, 4000u}) {
    std::string path(length, 'p');
    fake::RunProgram({"quillon-config", path});
    ASSERT_EQ(fake::receivedPaths.size(), 1u);
    EXPECT_EQ(fake::receivedPaths[0], std::u16string(length, u'p'));
  }
}

std::string Repeated(const std::string& text, int times) {
  std::string repeated;
  for (int i = 0; i < times; ++i) {
    repeated += text;
  }
  return repeated;
}

struct ReportCase {
  const char* name;
  friend void PrintTo(const ReportCase& tested, std::ostream* out) { *out << tested.name; }
  std::u16string message;
  bool unterminated;
  std::string printed;
};

class Report : public EngineBinding, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(Report, PrintsTheMessageLiterallyBeforeTheCode) {
  const ReportCase& report = GetParam();
  fake::engine.attempts = {{false, 302, {}}};
  fake::engine.messages[302] = report.message;
  fake::engine.unterminatedMessage = report.unterminated;
  fake::Run run = fake::RunProgram({"quillon-config", "setup.xml"});
  EXPECT_EQ(run.transcript, HEADER + "{thread}{load Quennix.dll}{config}{joined}\n" + report.printed +
                                " Return Code = 302\n{sleep 1500}{exit 302}");
  EXPECT_EQ(fake::receivedCapacities, std::vector<int32_t>{256});
}

INSTANTIATE_TEST_SUITE_P(
    Messages, Report,
    ::testing::Values(ReportCase{"Empty", u"", false, ""},
                      ReportCase{"PercentSigns", u"100% done %d %s %n %%", false, "100% done %d %s %n %%"},
                      ReportCase{"HighBytes", u"Fehler: \u00FCber \u00E9", false,
                                 "Fehler: \xFC"
                                 "ber \xE9"},
                      // The last unit with a byte form, and the first without.
                      ReportCase{"ByteBoundary", u"\u00FF\u0100", false, "\xFF?"},
                      ReportCase{"WiderUnitsAsQuestionMarks", u"\u263A ok \u20AC \U0001F600", false,
                                 "? ok ? ??"},
                      // 256 units, no zero: exactly the buffer is printed, nothing past it.
                      ReportCase{"UnterminatedEndsAtTheBuffer", u"AB", true, Repeated("AB", 128)}),
    CaseName());

}  // namespace
