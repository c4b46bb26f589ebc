// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/failure.h"

#include <Qt>

struct Form;

// The user chose a directory in the directory list: until the game directory is found, look
// for its "eaw.ini" there; afterwards, select it as the add-on folder and preview it.
Outcome Dir1_Click(Form &form);

// A mouse button went down over the directory list: the right button takes the list back to
// the start directory. Either way Load is disabled where it cannot apply.
Outcome Dir1_MouseDown(Form &form, Qt::MouseButton button);

// The program picture and the instructions, in place of any folder's preview.
void showInstructions(Form &form);
