// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>

// Told how many of the files a long piece of work has done so far.
using Progress = std::function<void(std::size_t done, std::size_t total)>;
