// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>

// Calls `look` with every index below `count`, spread over as many threads as the processor
// runs at once: for looks at many files, which wait on the system more than on each other.
// The calling thread takes its share and calls `working` after each of its looks, so that a
// window keeps painting; `look` touches no widget and must not throw.
void forEachIndex(std::size_t count, const std::function<void(std::size_t)> &look,
                  const std::function<void()> &working);
