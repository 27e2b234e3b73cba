#pragma once
#include "run/config_thread.h"
