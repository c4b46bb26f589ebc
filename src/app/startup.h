// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/failure.h"

struct Form;

// Start-up: the start directory, the loaded folders from "FoldersLoaded.txt", the
// instructions and the program picture.
Outcome Form_Load(Form &form);

// Writes the loaded folders to "FoldersLoaded.txt" in the start directory: at shut-down, and
// after every change so that nothing is lost when the process is killed.
Outcome saveLoadedFolders(const Form &form);
