// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>

#include <string>

class DirList;
class FileList;
class PictureArea;
class QPushButton;
class QWidget;
class StringList;
class TextLabel;

// What every handler of the window shares: the form's state and its controls.
struct Form
{
    // The start directory: the process's current directory at start-up.
    std::string MyDir{};
    // The game directory once found; the start directory until then.
    std::string EAWdir{};
    // Where the file list stood before a removal borrowed it.
    std::string tempname{};
    bool EAWfound = false;
    // Ends every line of text the window shows.
    QString lf{};
    // The program picture.
    std::string EawPic{};
    // The instructions.
    QString Eawtext{};
    // "FoldersLoaded.txt" was read at start-up, or did not exist yet: only then may it be
    // replaced, or the folders it lists would be lost.
    bool listFileRead = false;

    DirList &Dir1;
    FileList &File1;
    FileList &EAWFile;
    FileList &Picfile;
    FileList &contfile;
    StringList &List1;
    TextLabel &Label1;
    PictureArea &Image1;
    QPushButton &Command1;
    QWidget &Frame2;
};

// Said when Load is turned off because the file list could not show the folder that Load
// would record.
inline QString loadIsOff()
{
    return QCoreApplication::translate("Kestro", "Load is off until you choose a folder.");
}

// Why the game directory itself is neither loaded nor removed.
inline QString gameItself()
{
    return QCoreApplication::translate("Kestro", "it is the game directory itself");
}
