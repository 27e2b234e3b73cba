#include "engine/engine.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/console_probe.h"
#include "engine/xml_document.h"

namespace {

using ProgressCall = std::pair<int32_t, int32_t>;  // total, current

// Calls spread over one full bar: 73 calls of 10 each, paced so that a
// demonstration shows the bar filling over about a second and a half.
constexpr int32_t DEFAULT_TOTAL = 730;
constexpr int32_t DEFAULT_STEP = 10;
constexpr int DEFAULT_PACE_MS = 20;

struct Attempt {
  bool succeeds = true;
  int32_t code = CODE_SUCCESS;
  std::vector<ProgressCall> progress;  // empty: the configuration's own
};

struct MessageOverride {
  std::u16string text;
  bool unterminated = false;  // fill the whole buffer with text[0], no zero
};

// What GetReturnCodeMessage needs from the latest configuration call.
std::map<int32_t, MessageOverride> messageOverrides;
std::string lastDetail;

// Attempts made since the engine was loaded; the fault script is indexed by it.
int attemptsMade = 0;

std::u16string FromUtf8(const std::string& text) {
  std::u16string wide;
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    uint32_t point = length == 1   ? lead
                     : length == 2 ? lead & 0x1Fu
                     : length == 3 ? lead & 0x0Fu
                                   : lead & 0x07u;
    for (size_t k = 1; k < length && i + k < text.size(); ++k) {
      point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
    }
    i += length;
    if (point >= 0x10000) {
      point -= 0x10000;
      wide.push_back(static_cast<char16_t>(0xD800 + (point >> 10)));
      wide.push_back(static_cast<char16_t>(0xDC00 + (point & 0x3FF)));
    } else {
      wide.push_back(static_cast<char16_t>(point));
    }
  }
  return wide;
}

// QUENNIX_TRACE names a file to which every call and its arguments are
// appended, so that tests can see exactly what the front end passed.
void Trace(const std::string& line) {
  const char* traceFile = std::getenv("QUENNIX_TRACE");
  if (traceFile == nullptr || *traceFile == 0) {
    return;
  }
  if (std::FILE* file = std::fopen(traceFile, "ab")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

std::string DescribeUnits(const char16_t* text) {
  std::string described;
  size_t length = 0;
  for (const char16_t* unit = text; *unit != 0; ++unit, ++length) {
    char hex[8];
    std::snprintf(hex, sizeof hex, " %04x", static_cast<unsigned>(*unit));
    described += hex;
  }
  return "length=" + std::to_string(length) + " units=" + described;
}

// A decimal number, as a configuration writes it: an optional '-' and
// digits, nothing else. Leading zeros are plain zeros ("0900" is 900), not
// an octal prefix, and the same on every platform.
bool ParseNumber(const std::string& text, long long low, long long high, int32_t* value) {
  size_t first = !text.empty() && text[0] == '-' ? 1 : 0;
  if (first == text.size()) {
    return false;
  }
  long long number = 0;
  for (size_t i = first; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return false;
    }
    number = number * 10 + (text[i] - '0');
    // Every range asked for lies within 32 bits; stop long before overflow.
    if (number > (1LL << 32)) {
      return false;
    }
  }
  if (first == 1) {
    number = -number;
  }
  if (number < low || number > high) {
    return false;
  }
  *value = static_cast<int32_t>(number);
  return true;
}

bool ParseInt32(const std::string& text, int32_t* value) {
  return ParseNumber(text, INT32_MIN, INT32_MAX, value);
}

// --- Settings --------------------------------------------------------------

struct SettingRule {
  const char* name;
  const char* values;  // blank-separated choices, or null for a number
  int32_t low;
  int32_t high;
};

const SettingRule SETTING_RULES[] = {
    {"illumination", "on off auto", 0, 0},
    {"aimer", "on off", 0, 0},
    {"beeper-volume", "off low medium high", 0, 0},
    {"good-read-led", "on off", 0, 0},
    {"scan-mode", "trigger presentation continuous", 0, 0},
    {"interface", "usb-hid usb-serial rs232", 0, 0},
    {"baud-rate", "9600 19200 38400 57600 115200", 0, 0},
    {"decode-timeout-ms", nullptr, 100, 10000},
    {"same-code-delay-ms", nullptr, 0, 5000},
    {"symbology.code128", "enabled disabled", 0, 0},
    {"symbology.code39", "enabled disabled", 0, 0},
    {"symbology.ean13", "enabled disabled", 0, 0},
    {"symbology.upca", "enabled disabled", 0, 0},
    {"symbology.qr", "enabled disabled", 0, 0},
    {"symbology.datamatrix", "enabled disabled", 0, 0},
    {"symbology.pdf417", "enabled disabled", 0, 0},
    {"symbology.aztec", "enabled disabled", 0, 0},
};

bool IsChoice(const char* choices, const std::string& value) {
  std::string padded = std::string(" ") + choices + " ";
  return !value.empty() && value.find(' ') == std::string::npos &&
         padded.find(" " + value + " ") != std::string::npos;
}

// CODE_SUCCESS when every setting is known and valid; else the code of the
// first one that is not, with its name (and value) kept for the message.
int32_t CheckSettings(const XmlElement& root) {
  for (const XmlElement& child : root.children) {
    if (child.name != "setting") {
      continue;
    }
    const std::string* name = FindAttribute(child, "name");
    const std::string* value = FindAttribute(child, "value");
    const SettingRule* rule = nullptr;
    for (const SettingRule& candidate : SETTING_RULES) {
      if (name != nullptr && *name == candidate.name) {
        rule = &candidate;
      }
    }
    if (rule == nullptr) {
      lastDetail = name != nullptr ? *name : "";
      return CODE_UNKNOWN_SETTING;
    }
    int32_t number = 0;
    bool valid =
        value != nullptr && (rule->values != nullptr ? IsChoice(rule->values, *value)
                                                     : ParseNumber(*value, rule->low, rule->high, &number));
    if (!valid) {
      lastDetail = "\"" + (value != nullptr ? *value : std::string()) + "\" for setting \"" + *name + "\"";
      return CODE_INVALID_VALUE;
    }
  }
  return CODE_SUCCESS;
}

// --- Fault injection -------------------------------------------------------

// How long a hold waits for its release at most, so that a test that never
// releases it still ends.
constexpr int HOLD_LIMIT_MS = 120000;

struct Simulation {
  int paceMs = DEFAULT_PACE_MS;
  // After this many progress calls of an attempt (0: never), wait until the
  // file named by holdUntil exists, as if the device took its time.
  int32_t holdAfter = 0;
  std::string holdUntil;
  std::vector<Attempt> attempts;
  std::vector<ProgressCall> progress;
};

// <progress total="T" values="a b c"/> or <progress total="T" from="a" to="b" step="s"/>
void AddProgress(const XmlElement& element, std::vector<ProgressCall>* calls) {
  int32_t total = 0;
  const std::string* totalText = FindAttribute(element, "total");
  if (totalText == nullptr || !ParseInt32(*totalText, &total)) {
    return;
  }
  if (const std::string* values = FindAttribute(element, "values")) {
    size_t start = 0;
    while (start < values->size()) {
      size_t end = values->find(' ', start);
      if (end == std::string::npos) {
        end = values->size();
      }
      int32_t current = 0;
      if (ParseInt32(values->substr(start, end - start), &current)) {
        calls->emplace_back(total, current);
      }
      start = end + 1;
    }
  }
  int32_t from = 0;
  int32_t to = 0;
  int32_t step = 1;
  const std::string* fromText = FindAttribute(element, "from");
  const std::string* toText = FindAttribute(element, "to");
  const std::string* stepText = FindAttribute(element, "step");
  if (fromText != nullptr && toText != nullptr && ParseInt32(*fromText, &from) && ParseInt32(*toText, &to) &&
      (stepText == nullptr || ParseInt32(*stepText, &step)) && step > 0) {
    for (int64_t current = from; current <= to; current += step) {
      calls->emplace_back(total, static_cast<int32_t>(current));
    }
  }
}

void ReadSimulation(const XmlElement& simulate, Simulation* simulation) {
  if (const std::string* pace = FindAttribute(simulate, "pace-ms")) {
    int32_t paceMs = DEFAULT_PACE_MS;
    if (ParseNumber(*pace, 0, 1000, &paceMs)) {
      simulation->paceMs = paceMs;
    }
  }
  const std::string* holdAfter = FindAttribute(simulate, "hold-after");
  const std::string* holdUntil = FindAttribute(simulate, "hold-until");
  if (holdAfter != nullptr && holdUntil != nullptr &&
      ParseNumber(*holdAfter, 1, INT32_MAX, &simulation->holdAfter)) {
    simulation->holdUntil = *holdUntil;
  }
  for (const XmlElement& child : simulate.children) {
    if (child.name == "progress") {
      AddProgress(child, &simulation->progress);
    } else if (child.name == "attempt") {
      Attempt attempt;
      const std::string* result = FindAttribute(child, "result");
      attempt.succeeds = result == nullptr || *result != "failure";
      const std::string* code = FindAttribute(child, "code");
      if (code != nullptr) {
        ParseInt32(*code, &attempt.code);
      }
      for (const XmlElement& progress : child.children) {
        if (progress.name == "progress") {
          AddProgress(progress, &attempt.progress);
        }
      }
      int32_t repeat = 1;
      if (const std::string* times = FindAttribute(child, "repeat")) {
        ParseNumber(*times, 0, 1000, &repeat);
      }
      simulation->attempts.insert(simulation->attempts.end(), static_cast<size_t>(repeat), attempt);
    } else if (child.name == "message") {
      int32_t code = 0;
      const std::string* codeText = FindAttribute(child, "code");
      if (codeText == nullptr || !ParseInt32(*codeText, &code)) {
        continue;
      }
      MessageOverride message;
      if (const std::string* fill = FindAttribute(child, "fill")) {
        message.text = FromUtf8(*fill);
        message.unterminated = !message.text.empty();
      } else if (const std::string* text = FindAttribute(child, "text")) {
        message.text = FromUtf8(*text);
      }
      messageOverrides[code] = message;
    }
  }
}

std::vector<ProgressCall> FullBar() {
  std::vector<ProgressCall> calls;
  for (int32_t current = DEFAULT_STEP; current <= DEFAULT_TOTAL; current += DEFAULT_STEP) {
    calls.emplace_back(DEFAULT_TOTAL, current);
  }
  return calls;
}

void Hold(const std::string& until) {
  Trace("hold" + ConsoleInputMode());
  for (int waited = 0; waited < HOLD_LIMIT_MS; waited += 10) {
    if (std::FILE* file = std::fopen(until.c_str(), "rb")) {
      std::fclose(file);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Trace("released");
}

void ReportProgress(const std::vector<ProgressCall>& calls, const Simulation& simulation,
                    EngineProgressFn progress) {
  int paceMs = simulation.paceMs;
  int32_t made = 0;
  for (const ProgressCall& call : calls) {
    if (progress != nullptr) {
      progress(call.first, call.second);
    }
    if (++made == simulation.holdAfter) {
      Hold(simulation.holdUntil);
    }
    if (paceMs > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(paceMs));
    }
  }
}

bool Finish(int32_t* returnCode, int32_t code, bool succeeds) {
  if (returnCode != nullptr) {
    *returnCode = code;
  }
  Trace("result ok=" + std::to_string(succeeds ? 1 : 0) + " code=" + std::to_string(code));
  return succeeds;
}

// The engine's own message for each code; "@" stands for the detail the
// latest configuration call kept (a path, a line, a setting).
struct CodeMessage {
  int32_t code;
  const char* text;
};

const CodeMessage CODE_MESSAGES[] = {
    {CODE_SUCCESS, "Configuration completed successfully."},
    {CODE_CANNOT_OPEN, "Could not open the XML file \"@\"."},
    {CODE_NOT_WELL_FORMED, "The XML file is not well-formed (line @)."},
    {CODE_UNKNOWN_SETTING, "Unknown setting \"@\"."},
    {CODE_INVALID_VALUE, "Invalid value @."},
    {CODE_NOT_A_CONFIGURATION, "The XML file is not a scanner/imager configuration."},
    {CODE_NO_DEVICE, "No scanner/imager is connected."},
    {CODE_OTHER_MODEL, "The configuration is for another device model."},
    {CODE_DEVICE_BUSY, "The scanner/imager is in use by another program."},
    {CODE_DEVICE_REJECTED, "The scanner/imager rejected the configuration."},
};

std::u16string StandardMessage(int32_t code) {
  const char* text = "Unknown return code.";
  for (const CodeMessage& message : CODE_MESSAGES) {
    if (message.code == code) {
      text = message.text;
    }
  }
  // Details such as the path are bytes; each becomes the unit of the same
  // value, the mirror of how the path arrived.
  std::u16string wide;
  for (const char* at = text; *at != 0; ++at) {
    if (*at == '@') {
      for (char byte : lastDetail) {
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(byte)));
      }
    } else {
      wide.push_back(static_cast<char16_t>(*at));
    }
  }
  return wide;
}

}  // namespace

uint8_t EngineConfigure(const char16_t* path, int32_t* returnCode, EngineProgressFn progress,
                        int32_t reserved) {
  Trace("ConfigFromXmlFile " + DescribeUnits(path) + " reserved=" + std::to_string(reserved));
  int attempt = attemptsMade++;
  messageOverrides.clear();
  lastDetail.clear();

  XmlElement root;
  int errorLine = 0;
  switch (ReadXmlFile(path, &root, &errorLine)) {
    case XmlReadResult::CannotOpen:
      lastDetail = NarrowPath(path);
      return Finish(returnCode, CODE_CANNOT_OPEN, false);
    case XmlReadResult::NotWellFormed:
      lastDetail = std::to_string(errorLine);
      return Finish(returnCode, CODE_NOT_WELL_FORMED, false);
    case XmlReadResult::TooDeep:
      return Finish(returnCode, CODE_NOT_A_CONFIGURATION, false);
    case XmlReadResult::Ok:
      break;
  }
  if (root.name != "configuration") {
    return Finish(returnCode, CODE_NOT_A_CONFIGURATION, false);
  }

  Simulation simulation;
  for (const XmlElement& child : root.children) {
    if (child.name == "simulate") {
      ReadSimulation(child, &simulation);
    }
  }

  int32_t settingsCode = CheckSettings(root);
  if (settingsCode != CODE_SUCCESS) {
    return Finish(returnCode, settingsCode, false);
  }
  const std::string* model = FindAttribute(root, "device");
  if (model != nullptr && *model != "Quillon 3") {
    return Finish(returnCode, CODE_OTHER_MODEL, false);
  }

  Attempt outcome;
  if (static_cast<size_t>(attempt) < simulation.attempts.size()) {
    outcome = simulation.attempts[static_cast<size_t>(attempt)];
  }
  const std::vector<ProgressCall>& calls = !outcome.progress.empty()      ? outcome.progress
                                           : !simulation.progress.empty() ? simulation.progress
                                                                          : FullBar();
  ReportProgress(calls, simulation, progress);
  return Finish(returnCode, outcome.code, outcome.succeeds);
}

uint8_t EngineDescribe(char16_t* buffer, int32_t* capacity, int32_t code) {
  int32_t units = capacity != nullptr ? *capacity : 0;
  Trace("GetReturnCodeMessage capacity=" + std::to_string(units) + " code=" + std::to_string(code));
  if (buffer == nullptr || units <= 0) {
    return 0;
  }
  auto found = messageOverrides.find(code);
  if (found != messageOverrides.end() && found->second.unterminated) {
    for (int32_t i = 0; i < units; ++i) {
      buffer[i] = found->second.text[static_cast<size_t>(i) % found->second.text.size()];
    }
    return 1;
  }
  std::u16string text = found != messageOverrides.end() ? found->second.text : StandardMessage(code);
  size_t length = text.size() < static_cast<size_t>(units) ? text.size() : static_cast<size_t>(units) - 1;
  std::memcpy(buffer, text.data(), length * sizeof(char16_t));
  buffer[length] = 0;
  return 1;
}
