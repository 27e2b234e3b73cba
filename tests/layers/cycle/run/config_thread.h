#pragma once
#include "run/engine_binding.h"
