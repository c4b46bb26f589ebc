#pragma once

#include "widgets/failure.h"

#include <functional>
#include <string>

// Copies a file's bytes and modification time over a destination, which is replaced whole
// or not at all: the copy goes to a hidden temporary file beside it that is then renamed
// over it. A destination that is a link is replaced, never written through; one nobody may
// write to stays as it is. The copy is always writable by its owner. `working` is told,
// now and then, that a large file is still being copied.
Outcome installFile(const std::string &source, const std::string &destination,
                    const std::function<void()> &working = {});
