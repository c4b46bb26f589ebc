// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/failure.h"
#include "install/progress.h"

struct Form;

// The user pressed Load: copy every file the file list shows into the game directory, then
// add the folder chosen in the directory list to the loaded folders.
Outcome Command1_Click(Form &form, const Progress &progress);
