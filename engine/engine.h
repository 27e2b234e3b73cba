// The stand-in configuration engine: what stands behind its two exports.
//
// It reads a scanner configuration from XML, checks every setting, then
// "applies" them one after the other, reporting progress as a real device
// configuration would. Fault injection declared in the XML lets tests and
// demonstrations produce every outcome the front end must handle.
#pragma once

#include <cstdint>

using EngineProgressFn = void (*)(int32_t total, int32_t current);

// Codes of the stand-in engine. 302, 307, 315 and 316 are the ones that end
// a run at once.
enum EngineCode : int32_t {
  CODE_SUCCESS = 0,
  CODE_CANNOT_OPEN = 201,
  CODE_NOT_WELL_FORMED = 202,
  CODE_UNKNOWN_SETTING = 203,
  CODE_INVALID_VALUE = 204,
  CODE_NOT_A_CONFIGURATION = 205,
  CODE_NO_DEVICE = 302,
  CODE_OTHER_MODEL = 307,
  CODE_DEVICE_BUSY = 315,
  CODE_DEVICE_REJECTED = 316,
};

uint8_t EngineConfigure(const char16_t* path, int32_t* returnCode, EngineProgressFn progress,
                        int32_t reserved);

uint8_t EngineDescribe(char16_t* buffer, int32_t* capacity, int32_t code);
