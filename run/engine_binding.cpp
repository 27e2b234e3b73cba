#include "run/engine_binding.h"

#include <cstring>
#include <string>

#include "front/console.h"
#include "platform/sleep.h"
#include "progress/progress_display.h"
#include "run/retry_policy.h"

LibraryHandle configLibrary = nullptr;
ConfigFromXmlFileFn configFromXmlFile = nullptr;
GetReturnCodeMessageFn getReturnCodeMessage = nullptr;
int32_t returnCode = 0;
int32_t lastAttemptOk = 0;
bool engineReached = false;

namespace {

// Long enough for the operator to read the load failure.
constexpr uint32_t LOAD_FAILURE_MS = 5000;

}  // namespace

bool LoadConfigLibrary() {
  configLibrary = OpenLibrary(ENGINE_LIBRARY_NAME);
  if (configLibrary == nullptr) {
    return false;
  }
  configFromXmlFile = reinterpret_cast<ConfigFromXmlFileFn>(FindSymbol(configLibrary, "ConfigFromXmlFile"));
  if (configFromXmlFile != nullptr) {
    getReturnCodeMessage =
        reinterpret_cast<GetReturnCodeMessageFn>(FindSymbol(configLibrary, "GetReturnCodeMessage"));
    if (getReturnCodeMessage != nullptr) {
      return true;
    }
  }
  CloseLibrary(configLibrary);
  configLibrary = nullptr;
  return false;
}

uint32_t ConfigThread(void* parameter) {
  lastAttemptOk = 0;

  // Each byte of the path becomes one 16-bit unit of the same value (bytes
  // 0x80-0xFF become U+0080-U+00FF), with no code-page conversion. The buffer
  // takes the whole path, however long.
  const char* narrow = static_cast<const char*>(parameter);
  std::u16string xmlPath(std::strlen(narrow), u'\0');
  for (size_t i = 0; i < xmlPath.size(); ++i) {
    xmlPath[i] = static_cast<char16_t>(static_cast<unsigned char>(narrow[i]));
  }

  RunAttemptsWithRetries(xmlPath.c_str());
  return 0;
}

void RunAttempt(const char16_t* xmlPath) {
  starCount = 0;
  barActive = false;

  bool outcome = false;
  if (configLibrary == nullptr && !LoadConfigLibrary()) {
    Print("Could not load the Quennix.dll library.\n");
    SleepMs(LOAD_FAILURE_MS);
  } else if (configFromXmlFile != nullptr) {
    engineReached = true;
    outcome = (configFromXmlFile(xmlPath, &returnCode, ProgressCallback, 0) & 0xFF) != 0;
  }
  lastAttemptOk = outcome ? 1 : 0;
}

void ReportReturnCode() {
  int32_t code = returnCode;
  Print("\n");

  char16_t message[MESSAGE_CAPACITY];
  message[0] = 0;
  if (configLibrary == nullptr) {
    LoadConfigLibrary();
  }
  if (configLibrary != nullptr && getReturnCodeMessage != nullptr) {
    int32_t capacity = MESSAGE_CAPACITY;
    getReturnCodeMessage(message, &capacity, code);
  }
  // A message the engine did not terminate ends at the buffer's end.
  PrintWide(message, MESSAGE_CAPACITY);
  PrintFormat(" Return Code = %d\n", code);

  barActive = false;
}
