// Binding the configuration engine, one configuration attempt, and the report
// of a return code.
#pragma once

#include <cstdint>

#include "platform/library.h"
#include "run/engine_contract.h"

// Engine binding, process-wide. configLibrary is set only once both entry
// points are resolved; the entry variables count only while it is set. Once
// bound, the engine stays loaded until the process ends.
extern LibraryHandle configLibrary;
extern ConfigFromXmlFileFn configFromXmlFile;
extern GetReturnCodeMessageFn getReturnCodeMessage;

// The engine's code from the latest attempt that reached it; 0 at start. Only
// the engine writes it, through the pointer handed to ConfigFromXmlFile.
extern int32_t returnCode;

// Outcome of the latest attempt: 1 when it succeeded, else 0.
extern int32_t lastAttemptOk;

// Set once an attempt has called the engine. A run that never reached the
// engine configured nothing, whatever returnCode says.
extern bool engineReached;

// Loads "Quennix.dll" and resolves both entry points. Prints nothing. On
// failure the library is released again and the engine stays unbound.
bool LoadConfigLibrary();

// One configuration attempt with the path as 16-bit text; sets lastAttemptOk
// and, through the engine, returnCode. Binds the engine first if need be.
void RunAttempt(const char16_t* xmlPath);

// Prints a newline, the engine's message for the current returnCode and
// " Return Code = " with the code, all on one line; then closes the bar.
void ReportReturnCode();
