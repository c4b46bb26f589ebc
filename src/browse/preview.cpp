// SPDX-License-Identifier: GPL-3.0-or-later
#include "browse/preview.h"

#include "core/platform.h"
#include "core/textfile.h"
#include "widgets/filelist.h"
#include "widgets/form.h"
#include "widgets/picturearea.h"
#include "widgets/textlabel.h"

#include <string>

Outcome previewFolder(Form &form)
{
    if (Outcome failed = form.Picfile.setPath(form.File1.path())) {
        return failed;
    }
    if (Outcome failed = form.Picfile.setPattern("mypic")) {
        return failed;
    }
    if (Outcome failed = form.contfile.setPath(form.File1.path())) {
        return failed;
    }
    if (Outcome failed = form.contfile.setPattern("contents.txt")) {
        return failed;
    }
    // The files are opened under the names the folder lists, whatever their letter case.
    if (form.Picfile.count() == 1) {
        const std::string picture = platform::join(form.Picfile.path(), form.Picfile.entry(0));
        if (Outcome failed = form.Image1.showPicture(picture)) {
            return failed;
        }
    }
    if (form.contfile.count() == 1) {
        const std::string description =
            platform::join(form.contfile.path(), form.contfile.entry(0));
        std::string bytes;
        if (Outcome failed = readFile(description, bytes, descriptionLimit)) {
            return failed;
        }
        QString text;
        for (const std::string &line : splitLines(bytes)) {
            // Text in the system's 8-bit code page.
            text += QString::fromLocal8Bit(line) + form.lf;
        }
        form.Label1.setCaption(text);
    }
    return {};
}
