// The stand-in engine's ConfigFromXmlFile export.
#include "engine/engine.h"
#include "engine/export.h"

extern "C" ENGINE_EXPORT uint8_t ConfigFromXmlFile(const char16_t* path, int32_t* returnCode,
                                                   EngineProgressFn progress, int32_t reserved) {
  return EngineConfigure(path, returnCode, progress, reserved);
}
