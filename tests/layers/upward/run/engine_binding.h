#pragma once
#include "output/print.h"
