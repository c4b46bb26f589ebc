// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/failure.h"

class QLockFile;
struct Form;

// The lock that keeps a second Kestro out of the start directory, where both would save a list
// of loaded folders of their own and one would lose the other's. It is a hidden file there.
inline constexpr char startLockName[] = ".kestro.lock";

// Takes the lock, or says that another Kestro holds it. A lock whose Kestro is gone (killed, or
// cut off by a power cut) is taken over; where no lock can be made at all (a directory nobody may
// write to, a full disk), Kestro goes on without one.
Outcome lockStartDirectory(QLockFile &lock);

// Start-up: the start directory, the loaded folders from "FoldersLoaded.txt", the
// instructions and the program picture.
Outcome Form_Load(Form &form);

// Writes the loaded folders to "FoldersLoaded.txt" in the start directory: at shut-down, and
// after every change so that nothing is lost when the process is killed.
Outcome saveLoadedFolders(const Form &form);
