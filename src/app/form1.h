// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/failure.h"
#include "install/progress.h"
#include "widgets/directoryfiles.h"
#include "widgets/form.h"

#include <QWidget>

#include <memory>

class DirListBox;
class FileListBox;
class ListBox;
class PictureArea;
class QGroupBox;
class QLockFile;
class QPushButton;
class TextLabel;

// Kestro's one window: browse to the game directory and to add-on folders on the left, the
// loaded folders top right, the chosen folder's description and picture below them.
class Form1 final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    // Creates every control, then starts up: takes the start directory's lock, reads
    // "FoldersLoaded.txt" and shows the instructions. The window is centred on the screen.
    explicit Form1(QWidget *parent = nullptr);
    // Gives the start directory's lock back.
    ~Form1() override;

    // Another Kestro runs in the start directory: this one said so, read nothing, and writes
    // nothing when it closes.
    bool refused() const { return refused_; }

    QGroupBox *const Frame1;
    DirListBox *const Dir1;
    FileListBox *const File1;
    QPushButton *const Command1;
    TextLabel *const Label3;
    QGroupBox *const Frame2;
    ListBox *const List1;
    TextLabel *const Label2;
    DirectoryFiles EAWFile;
    TextLabel *const Label1;
    DirectoryFiles Picfile;
    DirectoryFiles contfile;
    PictureArea *const Image1;

    // The state every handler shares, and the controls as the handlers reach them.
    Form form;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Dir1_Click();
    void Dir1_MouseDown(Qt::MouseButton button);
    void Command1_Click();
    void List1_Click();
    void Form_Unload();

    void centre();
    void report(const Outcome &outcome);
    // Runs Load or a removal, which may take long, then saves the loaded folders.
    void changeGame(const QString &what, Outcome (*handler)(Form &, const Progress &));

    bool busy_ = false;
    bool closeWhenDone_ = false;
    std::unique_ptr<QLockFile> lock_;
    bool refused_ = false;
};
