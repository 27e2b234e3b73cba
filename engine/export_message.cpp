// The stand-in engine's GetReturnCodeMessage export. A build of the engine
// without this file stands for a library that lacks the entry point.
#include "engine/engine.h"
#include "engine/export.h"

extern "C" ENGINE_EXPORT uint8_t GetReturnCodeMessage(char16_t* buffer, int32_t* capacity, int32_t code) {
  return EngineDescribe(buffer, capacity, code);
}
