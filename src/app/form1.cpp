// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form1.h"

#include "app/busy.h"
#include "app/startup.h"
#include "browse/folderselection.h"
#include "install/load.h"
#include "install/remove.h"
#include "widgets/dirlistbox.h"
#include "widgets/filelistbox.h"
#include "widgets/listbox.h"
#include "widgets/picturearea.h"
#include "widgets/textlabel.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLockFile>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace {

// The window was laid out in twips: 15 of them make one logical pixel.
QRect twips(int left, int top, int width, int height)
{
    return {left / 15, top / 15, width / 15, height / 15};
}

template <typename Widget> Widget *placed(Widget *widget, const QRect &geometry)
{
    widget->setGeometry(geometry);
    return widget;
}

TextLabel *caption(QWidget *parent, const QRect &geometry, const QString &text,
                   Qt::Alignment alignment)
{
    auto *label = placed(new TextLabel(parent), geometry);
    label->setCaption(text);
    label->setAlignment(alignment);
    return label;
}

} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      Frame1(placed(new QGroupBox(this), twips(0, 0, 3135, 6465))),
      Dir1(placed(new DirListBox(Frame1), twips(120, 240, 2895, 3690))),
      File1(placed(new FileListBox(Frame1), twips(120, 4800, 2895, 1455))),
      Command1(placed(new QPushButton(tr("Load"), Frame1), twips(840, 4080, 1455, 375))),
      Label3(caption(Frame1, twips(120, 4560, 2895, 255), tr("Files in the selected folder"),
                     Qt::AlignTop | Qt::AlignHCenter)),
      Frame2(placed(new QGroupBox(this), twips(3150, 0, 6975, 2655))),
      List1(placed(new ListBox(Frame2), twips(120, 480, 6615, 2010))),
      Label2(caption(Frame2, twips(120, 240, 6615, 255),
                     tr("Click on a folder listed here to delete its contents from the EAW "
                        "directory"),
                     Qt::AlignTop | Qt::AlignHCenter)),
      Label1(
          caption(this, twips(3180, 2700, 2205, 3735), u"Label1"_s, Qt::AlignTop | Qt::AlignLeft)),
      Image1(placed(new PictureArea(this), twips(5520, 2700, 4545, 3765))), form{.Dir1 = *Dir1,
                                                                                 .File1 = *File1,
                                                                                 .EAWFile = EAWFile,
                                                                                 .Picfile = Picfile,
                                                                                 .contfile =
                                                                                     contfile,
                                                                                 .List1 = *List1,
                                                                                 .Label1 = *Label1,
                                                                                 .Image1 = *Image1,
                                                                                 .Command1 =
                                                                                     *Command1,
                                                                                 .Frame2 = *Frame2}
{
    setWindowTitle(u"Kestro"_s);
    setWindowIcon(QIcon(u":/kestro.ico"_s));
    setFixedSize(twips(0, 0, 10140, 6480).size());

    Command1->setEnabled(false);
    Command1->setAutoDefault(true); // Enter presses it, as Space does
    Frame2->setVisible(false);
    setTabOrder(Dir1, File1);
    setTabOrder(File1, Command1);
    setTabOrder(Command1, List1);

    connect(Dir1, &DirListBox::clicked, this, &Form1::Dir1_Click);
    connect(Dir1, &ListView::mousePressed, this,
            [this](Qt::MouseButton button) { Dir1_MouseDown(button); });
    connect(Dir1, &DirListBox::openFailed, this, [this](const Failure &failed) { report(failed); });
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(List1, &ListBox::clicked, this, &Form1::List1_Click);

    centre();
    // Before anything is read: the start directory is the current directory, which Kestro
    // never changes, so a relative name reaches it whatever bytes its path holds.
    lock_ = std::make_unique<QLockFile>(QString::fromLatin1(startLockName));
    if (Outcome refusal = lockStartDirectory(*lock_)) {
        refused_ = true;
        report(refusal);
        return;
    }
    report(Form_Load(form));
    Dir1->setFocus();
}

Form1::~Form1() = default;

void Form1::centre()
{
    const QRect screen = this->screen()->geometry();
    const QSize outer = frameGeometry().size();
    move(screen.left() + (screen.width() - outer.width()) / 2,
         screen.top() + (screen.height() - outer.height()) / 2);
}

void Form1::report(const Outcome &outcome)
{
    if (!outcome) {
        return;
    }
    QMessageBox box(QMessageBox::Warning, windowTitle(), outcome->message(), QMessageBox::Ok, this);
    // Paths and file contents are shown as they are, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void Form1::Dir1_Click()
{
    report(::Dir1_Click(form));
}

void Form1::Dir1_MouseDown(Qt::MouseButton button)
{
    report(::Dir1_MouseDown(form, button));
}

void Form1::changeGame(const QString &what, Outcome (*handler)(Form &, const Progress &))
{
    Outcome outcome;
    {
        busy_ = true;
        BusyWork work(this, what);
        outcome = handler(
            form, [&work](std::size_t done, std::size_t total) { work.progress(done, total); });
        busy_ = false;
    }
    report(outcome);
    // Even a handler that stopped at a failure may have changed the list before it.
    report(saveLoadedFolders(form));
    if (closeWhenDone_) {
        close();
    }
}

void Form1::Command1_Click()
{
    changeGame(tr("Loading"), ::Command1_Click);
}

void Form1::List1_Click()
{
    changeGame(tr("Removing"), ::List1_Click);
}

void Form1::Form_Unload()
{
    report(saveLoadedFolders(form));
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (busy_) {
        // Files are being copied or deleted: finish first, then close.
        closeWhenDone_ = true;
        event->ignore();
        return;
    }
    if (!refused_) {
        Form_Unload();
    }
    event->accept();
}
