// SPDX-License-Identifier: GPL-3.0-or-later
#include "browse/folderselection.h"

#include "browse/preview.h"
#include "core/platform.h"
#include "widgets/dirlist.h"
#include "widgets/filelist.h"
#include "widgets/form.h"
#include "widgets/picturearea.h"
#include "widgets/textlabel.h"

#include <QPushButton>

void showInstructions(Form &form)
{
    // Without its own picture the tool simply shows none.
    if (form.Image1.showPicture(form.EawPic)) {
        form.Image1.clearPicture();
    }
    form.Label1.setCaption(form.Eawtext);
}

// The first click on a directory that holds "eaw.ini" makes it the game directory.
static Outcome discover(Form &form, const std::string &clicked)
{
    if (Outcome failed = form.File1.setPattern("eaw.ini")) {
        return failed;
    }
    if (form.File1.count() == 0) {
        return {};
    }
    if (Outcome failed = form.EAWFile.setPath(clicked)) {
        return failed;
    }
    form.EAWdir = clicked;
    if (Outcome failed = form.Dir1.setPath(form.MyDir)) {
        return failed;
    }
    if (Outcome failed = form.File1.refresh()) {
        return failed;
    }
    form.Command1.setEnabled(true);
    if (platform::sameFile(form.Dir1.path(), form.MyDir)) {
        form.Command1.setEnabled(false);
    }
    form.Frame2.setVisible(true);
    form.EAWfound = true;
    return form.File1.setPattern("*.*");
}

Outcome Dir1_Click(Form &form)
{
    const std::string clicked = form.Dir1.entry(form.Dir1.selectedIndex());
    showInstructions(form);
    if (Outcome failed = form.File1.setPath(clicked)) {
        // Load would copy File1's folder but record the clicked one: keep it from doing so.
        form.Command1.setEnabled(false);
        failed->note = loadIsOff();
        return failed;
    }
    if (!form.EAWfound) {
        if (Outcome failed = discover(form, clicked); failed || !form.EAWfound) {
            return failed;
        }
    }
    form.Command1.setEnabled(true);
    // Folders are compared as what they are, not as spelt: the game reached through a link is
    // still the game, and Load would copy it onto itself and record it as an add-on.
    if (platform::sameFile(form.File1.path(), form.MyDir)) {
        form.Command1.setEnabled(false);
    }
    if (platform::sameFile(form.File1.path(), form.EAWdir)) {
        form.Command1.setEnabled(false);
        return {};
    }
    return previewFolder(form);
}

Outcome Dir1_MouseDown(Form &form, Qt::MouseButton button)
{
    Outcome failed;
    if (button == Qt::RightButton) {
        failed = form.Dir1.setPath(form.MyDir);
        if (!failed) {
            failed = form.File1.refresh();
        }
    }
    // Even when a folder could not be read again, Load stays off where it cannot apply.
    if (platform::sameFile(form.Dir1.path(), form.MyDir)) {
        form.Command1.setEnabled(false);
    }
    if (platform::sameFile(form.File1.path(), form.EAWdir)) {
        form.Command1.setEnabled(false);
    }
    return failed;
}
