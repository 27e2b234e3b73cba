// The built program against the stand-in engine: exact output and status.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

#include "tests/case_name.h"
#include "tests/e2e_harness.h"
#include "tests/golden.h"

namespace {

using e2e::Configuration;
using e2e::EngineBuild;
using e2e::RunProgram;
using e2e::Scenario;
using golden::Bar;
using golden::HEADER;

const std::string SUCCESS = "Configuration completed successfully.";

Scenario WithConfiguration(const std::string& simulate, const std::string& name = "setup.xml") {
  Scenario setup;
  setup.files[name] = Configuration(simulate);
  return setup;
}

std::string Report(const std::string& message, int code) {
  return "\n" + message + " Return Code = " + std::to_string(code) + "\n";
}

// Four attempts that fail alike: three reports with their retry lines, then
// the final report.
std::string RetriedThrice(const std::string& report) {
  std::string out;
  for (int retry = 1; retry <= 3; ++retry) {
    out += report + "Re-try attempt #" + std::to_string(retry) + ".\n";
  }
  return out + report;
}

std::string Words(const std::string& word, int times) {
  std::string words;
  for (int i = 0; i < times; ++i) {
    words += (i == 0 ? "" : " ") + word;
  }
  return words;
}

TEST(EndToEnd, ExampleConfiguresTheDevice) {
  e2e::Result result = RunProgram(Scenario(), {e2e::ExamplesDirectory() + "/scanner.xml"});
  EXPECT_EQ(result.out, HEADER + Bar(73) + Report(SUCCESS, 0));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
}

const std::string BUSY = Report("The scanner/imager did not answer in time.", 200);

// The bundled examples of the retry paths, each a run of several seconds of
// its own, so that they run side by side.
struct ExampleCase {
  const char* name;
  friend void PrintTo(const ExampleCase& tested, std::ostream* out) { *out << tested.name; }
  const char* file;
  std::string out;
  int code;
};

class Example : public ::testing::TestWithParam<ExampleCase> {};

TEST_P(Example, ShowsItsRetryPath) {
  const ExampleCase& example = GetParam();
  e2e::Result result = RunProgram(Scenario(), {e2e::ExamplesDirectory() + "/" + example.file});
  EXPECT_EQ(result.out, HEADER + example.out);
  EXPECT_EQ(result.status, e2e::ExpectedStatus(example.code));
}

INSTANTIATE_TEST_SUITE_P(
    RetryPaths, Example,
    ::testing::Values(ExampleCase{"RetryThenSucceed", "retry-then-succeed.xml",
                                  Bar(73) + BUSY + "Re-try attempt #1.\n\n" + Bar(73) + BUSY +
                                      "Re-try attempt #2.\n\n" + Bar(73) + Report(SUCCESS, 0),
                                  0},
                      ExampleCase{"TerminalCode", "terminal-code.xml",
                                  Bar(73) + BUSY + "Re-try attempt #1.\n\n" + Bar(73) +
                                      Report("The scanner/imager is in use by another program.", 315),
                                  315}),
    CaseName());

TEST(EndToEnd, WithoutPathAsksForOne) {
  e2e::Result result = RunProgram(Scenario(), {});
  EXPECT_EQ(result.out, golden::NO_PATH);
  EXPECT_EQ(result.status, 255);
  EXPECT_EQ(result.trace, "") << "the engine is never loaded";
}

TEST(EndToEnd, EngineReceivesThePathAndTheContractsArguments) {
  e2e::Result result = RunProgram(WithConfiguration(" "), {"setup.xml"});
  EXPECT_EQ(result.trace,
            "ConfigFromXmlFile length=9 units= 0073 0065 0074 0075 0070 002e 0078 006d 006c reserved=0\n"
            "result ok=1 code=0\n"
            "GetReturnCodeMessage capacity=256 code=0\n");
}

TEST(EndToEnd, PathByteE9ReachesTheEngineAsUnitE9) {
  // Under Wine (in a UTF-8 locale) the program's narrow argument holds the
  // byte 0xE9 when the Linux argument is the UTF-8 form of U+00E9.
  std::string name = e2e::TargetIsWindows() ? "caf\xC3\xA9.xml" : "caf\xE9.xml";
  e2e::Result result = RunProgram(WithConfiguration(" ", name), {name});
  EXPECT_EQ(result.out, HEADER + Bar(73) + Report(SUCCESS, 0));
  EXPECT_NE(result.trace.find("length=8 units= 0063 0061 0066 00e9 002e"), std::string::npos) << result.trace;
}

TEST(EndToEnd, LongPathsReachTheEngineWhole) {
  for (size_t length : {255u, 600u}) {
    // Directories of 99 characters keep every name within the file system's limit.
    std::string path;
    while (path.size() + 100 + 8 < length) {
      path += std::string(99, 'd') + "/";
    }
    path += std::string(length - path.size() - 4, 'f') + ".xml";
    ASSERT_EQ(path.size(), length);
    e2e::Result result = RunProgram(WithConfiguration(" ", path), {path});
    EXPECT_EQ(result.out, HEADER + Bar(73) + Report(SUCCESS, 0)) << length;
    EXPECT_NE(result.trace.find("ConfigFromXmlFile length=" + std::to_string(length) + " "),
              std::string::npos);
  }
}

// UTF-16 units of UTF-8 text.
std::u16string Utf16(const std::string& utf8) {
  std::u16string units;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    uint32_t point = length == 1 ? lead : lead & (0x7Fu >> length);
    for (size_t k = 1; k < length; ++k) {
      point = (point << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
    }
    i += length;
    if (point >= 0x10000) {
      units.push_back(static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(point));
    }
  }
  return units;
}

// The stand-in engine's trace of a path: its length and units.
std::string TracedUnits(const std::u16string& units) {
  std::string traced = "length=" + std::to_string(units.size()) + " units=";
  for (char16_t unit : units) {
    char hex[8];
    std::snprintf(hex, sizeof hex, " %04x", static_cast<unsigned>(unit));
    traced += hex;
  }
  return traced;
}

// File names from any script reach the engine as typed. On Linux the
// argument's bytes (here UTF-8) arrive as units of the same value; on
// Windows the command line's own 16-bit text arrives unchanged, where the
// narrow arguments would have turned these names into '?', control
// characters, look-alike letters or path separators.
struct PathCase {
  const char* name;
  friend void PrintTo(const PathCase& tested, std::ostream* out) { *out << tested.name; }
  std::string file;   // UTF-8
  std::string decoy;  // what a look-alike conversion would open instead
};

class InternationalPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(InternationalPath, ReachesTheEngineAsTyped) {
  const PathCase& path = GetParam();
  Scenario setup = WithConfiguration(" ", path.file);
  if (!path.decoy.empty()) {
    setup.files[path.decoy] = Configuration("<attempt result=\"failure\" code=\"316\"/>");
  }
  e2e::Result result = RunProgram(setup, {path.file});
  EXPECT_EQ(result.out, HEADER + Bar(73) + Report(SUCCESS, 0));
  EXPECT_EQ(result.status, 0);
  std::u16string units;
  if (e2e::TargetIsWindows()) {
    units = Utf16(path.file);
  } else {
    for (char byte : path.file) {
      units.push_back(static_cast<char16_t>(static_cast<unsigned char>(byte)));
    }
  }
  EXPECT_NE(result.trace.find("ConfigFromXmlFile " + TracedUnits(units) + " reserved=0"), std::string::npos)
      << result.trace;
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, InternationalPath,
    ::testing::Values(PathCase{"Latin1", "Gr\u00F6\u00DFe caf\u00E9.xml", ""},
                      PathCase{"Euro", "na\u00EFve\u20AC \u2013 \u201Cq\u201D \u0160\u0152\u2122.xml", ""},
                      PathCase{"PolishLetters", "\u0141\u00F3d\u0179.xml", "L\u00F3dZ.xml"},
                      PathCase{"Cyrillic", "\u043A\u043E\u043D\u0444\u0438\u0433.xml", ""},
                      PathCase{"Cjk", "\u8A2D\u5B9A\u8868.xml", ""},
                      PathCase{"FullwidthBackslash",
                               "a\uFF3C"
                               "b.xml",
                               "a/b.xml"},
                      PathCase{"FullwidthSlash", "p\uFF0Fq.xml", "p/q.xml"},
                      // Split by the narrow rules, the quotation mark would
                      // end the path and make "3.xml" the exit mode.
                      PathCase{"FullwidthQuoteAndBlank", "x\uFF02 3.xml", ""}),
    CaseName());

struct BrokenEngine {
  const char* name;
  friend void PrintTo(const BrokenEngine& tested, std::ostream* out) { *out << tested.name; }
  EngineBuild build;
};

class EngineNotBound : public ::testing::TestWithParam<BrokenEngine> {};

// The console says what happened; the status says that nothing was configured.
TEST_P(EngineNotBound, ShowsTheLoadFailureAndExitsWithFailure) {
  Scenario setup = WithConfiguration(" ");
  setup.engine = GetParam().build;
  e2e::Result result = RunProgram(setup, {"setup.xml"});
  EXPECT_EQ(result.out, HEADER + golden::LOAD_FAILURE + "\n Return Code = 0\n");
  EXPECT_EQ(result.status, 255);
  EXPECT_EQ(result.trace.find("ConfigFromXmlFile"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Builds, EngineNotBound,
                         ::testing::Values(BrokenEngine{"Missing", EngineBuild::None},
                                           BrokenEngine{"WithoutGetReturnCodeMessage",
                                                        EngineBuild::NoMessage},
                                           BrokenEngine{"WithoutConfigFromXmlFile", EngineBuild::NoConfig}),
                         CaseName());

// Where the engine is found. The program sits in a directory of its own;
// an engine may lie beside it, in the working directory (and its folder
// "sub"), and in a library folder that the search path can name. The search
// path is LD_LIBRARY_PATH on Linux and PATH on Windows (under Wine, through
// WINEPATH).
struct SearchCase {
  const char* name;
  friend void PrintTo(const SearchCase& tested, std::ostream* out) { *out << tested.name; }
  EngineBuild beside;
  EngineBuild planted;
  EngineBuild library;
  std::vector<std::string> searchPath;  // entries; "{lib}" is the library folder
  bool found;
};

class EngineSearch : public ::testing::TestWithParam<SearchCase> {};

TEST_P(EngineSearch, NeverLoadsFromTheCurrentDirectory) {
  const SearchCase& search = GetParam();
  Scenario setup;
  setup.engine = search.beside;
  setup.plantedEngine = search.planted;
  setup.libraryEngine = search.library;
  setup.files["setup.xml"] = Configuration(" ");
  if (!search.searchPath.empty()) {
    std::string joined;
    for (const std::string& entry : search.searchPath) {
      joined += (joined.empty() ? "" : e2e::TargetIsWindows() ? ";" : ":") + entry;
    }
    // A search path of only empty entries still names the variable.
    if (joined.empty()) {
      joined = e2e::TargetIsWindows() ? ";" : ":";
    }
    setup.environment.push_back((e2e::TargetIsWindows() ? "WINEPATH=" : "LD_LIBRARY_PATH=") + joined);
  }
  e2e::Result result = RunProgram(setup, {"setup.xml"});
  if (search.found) {
    EXPECT_EQ(result.out, HEADER + Bar(73) + Report(SUCCESS, 0));
    EXPECT_EQ(result.status, 0);
  } else {
    EXPECT_EQ(result.out, HEADER + golden::LOAD_FAILURE + "\n Return Code = 0\n");
    EXPECT_EQ(result.status, 255);
  }
}

const EngineBuild FULL = EngineBuild::Full;
const EngineBuild NONE = EngineBuild::None;

INSTANTIATE_TEST_SUITE_P(
    Paths, EngineSearch,
    ::testing::Values(
        SearchCase{"NoSearchPath", NONE, FULL, NONE, {}, false},
        // What `export LD_LIBRARY_PATH=/usr/local/lib:$LD_LIBRARY_PATH` leaves
        // when the variable was unset, and its like.
        SearchCase{"EmptyEntry", NONE, FULL, NONE, {"/usr/local/lib", ""}, false},
        SearchCase{"OnlyEmpty", NONE, FULL, NONE, {""}, false},
        SearchCase{"Dot", NONE, FULL, NONE, {"."}, false},
        SearchCase{"EmptyBetweenAbsolute", NONE, FULL, NONE, {"/a", "", "/b"}, false},
        SearchCase{"Relative", NONE, FULL, NONE, {"sub"}, false},
        // An absolute folder on the search path is still searched...
        SearchCase{"AbsoluteFolder", NONE, FULL, FULL, {"/a", "{lib}"}, true},
        // ...after the program's own directory: a broken engine there wins
        // over a good one on the search path, and the other way round.
        SearchCase{"BesideWinsOverSearchPath", FULL, NONE, EngineBuild::NoConfig, {"{lib}"}, true},
        SearchCase{"BesideIsTakenEvenWhenBroken", EngineBuild::NoConfig, NONE, FULL, {"{lib}"}, false}),
    CaseName());

// An install path longer than Windows' classic MAX_PATH of 260 characters:
// the engine beside the program is found, and none in the current directory.
TEST(EndToEnd, ProgramInstalledDeepSearchesAsUsual) {
  Scenario beside = WithConfiguration(" ");
  beside.installDepth = 4;
  e2e::Result found = RunProgram(beside, {"setup.xml"});
  EXPECT_EQ(found.out, HEADER + Bar(73) + Report(SUCCESS, 0));

  Scenario planted = beside;
  planted.engine = EngineBuild::None;
  planted.plantedEngine = EngineBuild::Full;
  e2e::Result notFound = RunProgram(planted, {"setup.xml"});
  EXPECT_EQ(notFound.out, HEADER + golden::LOAD_FAILURE + "\n Return Code = 0\n");
}

// Linux keeps 8 bits of a status; the program maps a non-zero code whose low
// 8 bits are 0 to 255. Windows keeps all 32 bits, but Wine hands its Linux
// parent only the low 8, with 1 for a non-zero code whose low 8 bits are 0.
struct ExitCase {
  int code;
  int onLinux;
  int underWine;
  friend void PrintTo(const ExitCase& tested, std::ostream* out) { *out << tested.code; }
};

class ExitStatus : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitStatus, MapsTheCodeToEightBitsWithoutReadingAsSuccess) {
  const ExitCase& exit = GetParam();
  std::string code = std::to_string(exit.code);
  e2e::Result result = RunProgram(e2e::Succeeding(exit.code), {"setup.xml"});
  EXPECT_EQ(result.status, e2e::TargetIsWindows() ? exit.underWine : exit.onLinux) << exit.code;
  EXPECT_NE(result.out.find(" Return Code = " + code + "\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Codes, ExitStatus,
                         ::testing::Values(ExitCase{0, 0, 0}, ExitCase{99, 99, 99}, ExitCase{255, 255, 255},
                                           ExitCase{316, 60, 60}, ExitCase{-1, 255, 255},
                                           ExitCase{-5, 251, 251}, ExitCase{256, 255, 1}, ExitCase{257, 1, 1},
                                           ExitCase{-256, 255, 1}));

// Windows keeps the whole 32-bit status, but Wine hands a Linux parent only
// its low 8 bits: a batch file reads it inside Wine.
class FullExitCode : public ::testing::TestWithParam<int> {};

TEST_P(FullExitCode, ReachesAWindowsParentWhole) {
  if (!e2e::TargetIsWindows()) {
    GTEST_SKIP() << "a Linux status has 8 bits";
  }
  int code = GetParam();
  Scenario setup = e2e::Succeeding(code);
  setup.files["status.bat"] = "@quillon-config.exe setup.xml 0 > NUL\r\n@echo status=%ERRORLEVEL%\r\n";
  std::unique_ptr<e2e::Prepared> run = e2e::PrepareRun(setup, {});
  SetCommand(run.get(), {run->command[0], "cmd", "/c", "status.bat"});
  e2e::Result result = e2e::RunPrepared(run.get(), e2e::Output::Pipe);
  EXPECT_NE(result.out.find("status=" + std::to_string(code) + "\r\n"), std::string::npos) << result.out;
}

INSTANTIATE_TEST_SUITE_P(Codes, FullExitCode, ::testing::Values(70000, -70000, 316, -1, 256));

struct MessageCase {
  const char* name;
  friend void PrintTo(const MessageCase& tested, std::ostream* out) { *out << tested.name; }
  std::string override;  // attributes of <message code="200" .../>
  std::string printed;
};

class EngineMessage : public ::testing::TestWithParam<MessageCase> {};

TEST_P(EngineMessage, IsPrintedLiterally) {
  const MessageCase& message = GetParam();
  e2e::Result result = RunProgram(WithConfiguration("<attempt result=\"failure\" code=\"302\"/>\n"
                                                    "<message code=\"302\" " +
                                                    message.override + "/>"),
                                  {"setup.xml"});
  EXPECT_EQ(result.out, HEADER + Bar(73) + Report(message.printed, 302));
  EXPECT_EQ(result.status, e2e::ExpectedStatus(302));
}

INSTANTIATE_TEST_SUITE_P(Messages, EngineMessage,
                         ::testing::Values(MessageCase{"Empty", "text=\"\"", ""},
                                           MessageCase{"Percent", "text=\"100% %d %s %n\"", "100% %d %s %n"},
                                           MessageCase{"HighBytes", "text=\"Ger&#xE4;t &#xFC;berlastet\"",
                                                       "Ger\xE4t \xFC"
                                                       "berlastet"},
                                           MessageCase{"WiderUnits", "text=\"&#x263A; &#x20AC;\"", "? ?"},
                                           MessageCase{"Unterminated", "fill=\"Z\"", std::string(256, 'Z')}),
                         CaseName());

struct BarCase {
  const char* name;
  friend void PrintTo(const BarCase& tested, std::ostream* out) { *out << tested.name; }
  std::string progress;
  std::string bar;
};

class StarBar : public ::testing::TestWithParam<BarCase> {};

TEST_P(StarBar, FollowsTheEnginesProgressCalls) {
  const BarCase& bar = GetParam();
  e2e::Result result = RunProgram(WithConfiguration(bar.progress), {"setup.xml"});
  EXPECT_EQ(result.out, HEADER + bar.bar + Report(SUCCESS, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, StarBar,
    ::testing::Values(
        BarCase{"EvenSteps", "<progress total=\"730\" from=\"10\" to=\"730\" step=\"10\"/>", Bar(73)},
        BarCase{"SingleCompletion", "<progress total=\"730\" values=\"730\"/>", Bar(1)},
        BarCase{"SmallTotal", "<progress total=\"50\" values=\"0\"/>", Bar(1)},
        BarCase{"UnevenTotal", "<progress total=\"100\" from=\"1\" to=\"100\"/>", Bar(100)},
        BarCase{"BelowFirstThreshold", "<progress total=\"730\" values=\"5\"/>", ""},
        BarCase{"ClosedThenNewLine",
                "<progress total=\"73\" from=\"1\" to=\"73\"/><progress total=\"-1\" values=\"-1 5\"/>",
                Bar(73) + "\n*"},
        BarCase{"HugeTotal", "<progress total=\"2147483647\" values=\"" + Words("2147483647", 75) + "\"/>",
                Bar(73) + "\n*"}),
    CaseName());

TEST(EndToEnd, EngineErrorsAreRetriedWithTheirMessages) {
  Scenario setup;
  setup.files["broken.xml"] = "<configuration>\n  <setting name=\"aimer\" value=\"on\">\n</configuration>\n";
  e2e::Result result = RunProgram(setup, {"broken.xml"});
  EXPECT_EQ(result.out, HEADER + RetriedThrice(Report("The XML file is not well-formed (line 3).", 202)));
  EXPECT_EQ(result.status, 202);
}

// The stand-in engine reads XML and numbers alike on both platforms, and an
// absurd file ends the run with a code, never with a crash.
std::string Nested(int levels) {
  std::string xml = "<configuration device=\"Quillon 3\">";
  for (int level = 1; level < levels; ++level) {
    xml += "<x>";
  }
  for (int level = 1; level < levels; ++level) {
    xml += "</x>";
  }
  return xml + "</configuration>\n";
}

struct ReadingCase {
  const char* name;
  friend void PrintTo(const ReadingCase& tested, std::ostream* out) { *out << tested.name; }
  std::string xml;
  std::string message;
  int code;
};

class EngineReading : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(EngineReading, IsTheSameOnEveryPlatform) {
  const ReadingCase& reading = GetParam();
  Scenario setup;
  setup.files["setup.xml"] = reading.xml;
  e2e::Result result = RunProgram(setup, {"setup.xml"});
  if (reading.code == 0) {
    EXPECT_EQ(result.out, HEADER + Bar(73) + Report(SUCCESS, 0));
  } else {
    EXPECT_EQ(result.out, HEADER + RetriedThrice(Report(reading.message, reading.code)));
  }
  EXPECT_EQ(result.status, reading.code);
}

const std::string NOT_A_CONFIGURATION = "The XML file is not a scanner/imager configuration.";

INSTANTIATE_TEST_SUITE_P(
    Files, EngineReading,
    ::testing::Values(
        // Leading zeros are decimal, not an octal prefix.
        ReadingCase{"LeadingZero",
                    "<configuration><setting name=\"decode-timeout-ms\" value=\"0900\"/></configuration>", "",
                    0},
        // 5001 is past the setting's 5000; read as octal it would be 2561.
        ReadingCase{"LeadingZeroOutOfRange",
                    "<configuration><setting name=\"same-code-delay-ms\" value=\"05001\"/></configuration>",
                    "Invalid value \"05001\" for setting \"same-code-delay-ms\".", 204},
        ReadingCase{"HexIsNoNumber",
                    "<configuration><setting name=\"decode-timeout-ms\" value=\"0x200\"/></configuration>",
                    "Invalid value \"0x200\" for setting \"decode-timeout-ms\".", 204},
        ReadingCase{"TwoRoots", "<configuration/>\n\n<configuration/>\n",
                    "The XML file is not well-formed (line 3).", 202},
        ReadingCase{"TextAfterTheRoot", "<configuration/>trailing\n",
                    "The XML file is not well-formed (line 1).", 202},
        ReadingCase{"DeepestAllowed", Nested(64), "", 0},
        ReadingCase{"TooDeep", Nested(65), NOT_A_CONFIGURATION, 205},
        // 60,000 levels, about 420 KB: once enough to exhaust the stack.
        ReadingCase{"VeryDeep", Nested(60000), NOT_A_CONFIGURATION, 205}),
    CaseName());

TEST(EndToEnd, FileThatCannotBeOpenedIsNamed) {
  Scenario setup;
  e2e::Result result = RunProgram(setup, {"missing.xml", "0"});
  EXPECT_EQ(result.out, HEADER + RetriedThrice(Report("Could not open the XML file \"missing.xml\".", 201)));
  EXPECT_EQ(result.status, 201);
}

TEST(EndToEnd, RetriesUntilTheDeviceAnswers) {
  e2e::Result result = RunProgram(WithConfiguration("<attempt result=\"failure\" code=\"200\" repeat=\"2\"/>"
                                                    "<progress total=\"730\" values=\"10 20\"/>"),
                                  {"setup.xml"});
  std::string failed = Report("Unknown return code.", 200);
  EXPECT_EQ(result.out, HEADER + "**" + failed + "Re-try attempt #1.\n" + "\n**" + failed +
                            "Re-try attempt #2.\n" + "\n**" + Report(SUCCESS, 0));
  EXPECT_EQ(result.status, 0);
}

TEST(EndToEnd, TerminalCodeEndsTheRetries) {
  e2e::Result result = RunProgram(WithConfiguration("<attempt result=\"failure\" code=\"200\"/>"
                                                    "<attempt result=\"failure\" code=\"315\"/>"
                                                    "<progress total=\"730\" values=\"730\"/>"),
                                  {"setup.xml"});
  EXPECT_EQ(result.out, HEADER + "*" + Report("Unknown return code.", 200) + "Re-try attempt #1.\n\n*" +
                            Report("The scanner/imager is in use by another program.", 315));
  EXPECT_EQ(result.status, e2e::ExpectedStatus(315));
}

// The fixed pauses are real: each run lasts at least as long as its pauses
// add up to. (Only a lower bound: a busy machine may take longer.)
struct PauseCase {
  const char* name;
  friend void PrintTo(const PauseCase& tested, std::ostream* out) { *out << tested.name; }
  std::string simulate;  // empty: no configuration file at all
  std::vector<std::string> arguments;
  double atLeastSeconds;
};

class RealPause : public ::testing::TestWithParam<PauseCase> {};

TEST_P(RealPause, LastsAtLeastItsPauses) {
  const PauseCase& pause = GetParam();
  Scenario setup = WithConfiguration(pause.simulate);
  e2e::Result result = RunProgram(setup, pause.arguments);
  EXPECT_GE(result.seconds, pause.atLeastSeconds);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, RealPause,
    ::testing::Values(
        // The request for a path, then 1.5 s.
        PauseCase{"NoPath", " ", {}, 1.5},
        // A bar completed in one go: 73 stars 20 ms apart, then 1.5 s.
        PauseCase{"BarFilledInOneGo", "<progress total=\"-1\" values=\"-1\"/>", {"setup.xml"}, 1.46 + 1.5},
        // A failed attempt, 1.5 s before the retry, then 1.5 s after the report.
        PauseCase{"Retry",
                  "<attempt result=\"failure\" code=\"200\"/><progress total=\"730\" values=\"730\"/>",
                  {"setup.xml"},
                  1.5 + 1.5},
        // Exit mode 3: 1.5 s, then 5 s more.
        PauseCase{"ExitModeThree", "<progress total=\"730\" values=\"730\"/>", {"setup.xml", "3"}, 6.5}),
    CaseName());

TEST(EndToEnd, NothingIsLostOnANonBlockingPipeReadSlowly) {
  if (e2e::TargetIsWindows()) {
    GTEST_SKIP() << "a Windows program is handed no non-blocking pipe";
  }
  // Far more output than the pipe holds: one star for each of 20000 calls.
  Scenario setup = WithConfiguration("<progress total=\"50\" from=\"1\" to=\"20000\"/>");
  std::unique_ptr<e2e::Prepared> run = e2e::PrepareRun(setup, {"setup.xml"});
  e2e::Result result = e2e::RunPrepared(run.get(), e2e::Output::NonBlockingSlowReader);
  EXPECT_EQ(result.out, HEADER + Bar(20000) + Report(SUCCESS, 0));
  EXPECT_EQ(result.status, 0);
}

TEST(EndToEnd, OutputNobodyReadsDoesNotStopTheConfiguration) {
  for (e2e::Output output : {e2e::Output::ClosedPipe, e2e::Output::Full}) {
    Scenario setup = e2e::Succeeding(42);
    setup.output = output;
    e2e::Result result = RunProgram(setup, {"setup.xml"});
    EXPECT_EQ(result.status, 42);
    EXPECT_NE(result.trace.find("result ok=1 code=42"), std::string::npos);
  }
}

TEST(EndToEnd, ExitPromptWithoutConsoleEndsAtOnce) {
  // These runs have no terminal or console at all, like a scheduled job.
  e2e::Result result = RunProgram(e2e::Succeeding(7), {"setup.xml", "2"});
  std::string end = " Return Code = 7\n" + golden::PROMPT;
  ASSERT_GE(result.out.size(), end.size());
  EXPECT_EQ(result.out.substr(result.out.size() - end.size()), end);
  EXPECT_EQ(result.status, 7);
}

}  // namespace
