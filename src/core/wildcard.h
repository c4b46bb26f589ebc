// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// Whether a file name matches a pattern by the wildcard rules of the game's platform:
// "*" stands for any run of characters, "?" for any one, letter case is ignored, and a
// pattern ending in ".*" also matches names without a dot ("*.*" matches every name).
bool matchesPattern(std::string_view pattern, std::string_view name);
