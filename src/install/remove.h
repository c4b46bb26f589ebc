// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/failure.h"
#include "install/progress.h"

struct Form;

// The user chose a loaded folder: delete from the game directory every file whose name
// matches, in any letter case, a file the folder holds now, and drop the folder from the
// list. A folder that holds no file stays listed.
Outcome List1_Click(Form &form, const Progress &progress);
