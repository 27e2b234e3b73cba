#pragma once

#if defined(_WIN32)
#define ENGINE_EXPORT __declspec(dllexport)
#else
#define ENGINE_EXPORT __attribute__((visibility("default")))
#endif
