#include "run/engine_binding.h"

#include "output/print.h"
#include "platform/sleep.h"
#include "progress/progress_display.h"

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
  configFromXmlFile =
      reinterpret_cast<ConfigFromXmlFileFn>(FindSymbol(configLibrary, CONFIG_FROM_XML_FILE_NAME));
  if (configFromXmlFile != nullptr) {
    getReturnCodeMessage =
        reinterpret_cast<GetReturnCodeMessageFn>(FindSymbol(configLibrary, GET_RETURN_CODE_MESSAGE_NAME));
    if (getReturnCodeMessage != nullptr) {
      return true;
    }
  }
  CloseLibrary(configLibrary);
  configLibrary = nullptr;
  return false;
}

void RunAttempt(const char16_t* xmlPath) {
  ResetBarForAttempt();

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

  CloseBarAfterReport();
}
