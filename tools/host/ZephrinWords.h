// Zephrin's settings told back in words. No Windows header.
#pragma once

#include "zephrin/filter/ZephrinSettings.h"

#include <string>

// "key 96 (C6), controller 64, look-ahead fix on (1), reserved 128"
std::string DescribeZephrinSettings(const ZephrinSettings& settings);
