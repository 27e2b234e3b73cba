#include "output/print.h"

#include "run/engine_binding.h"
