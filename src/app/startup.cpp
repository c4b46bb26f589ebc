// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"

#include "browse/folderselection.h"
#include "core/loadedfolders.h"
#include "core/platform.h"
#include "widgets/dirlist.h"
#include "widgets/form.h"
#include "widgets/stringlist.h"
#include "widgets/textlabel.h"

#include <QCoreApplication>
#include <QLockFile>

using namespace Qt::StringLiterals;

static std::string listFile(const Form &form)
{
    return platform::join(form.MyDir, "FoldersLoaded.txt");
}

Outcome lockStartDirectory(QLockFile &lock)
{
    // Only a lock whose Kestro is gone is stale, however long it has been held.
    lock.setStaleLockTime(0);
    bool locked = lock.tryLock(0);
    // A lock file cut short by a power cut names no Kestro, and one naming this very process was
    // left by a killed Kestro whose process number the system has given again: the system's own
    // lock on the file, which a running Kestro holds, tells whether it is stale.
    qint64 pid;
    QString host, name;
    if (!locked && lock.error() == QLockFile::LockFailedError &&
        (!lock.getLockInfo(&pid, &host, &name) || pid == QCoreApplication::applicationPid()) &&
        lock.removeStaleLockFile()) {
        locked = lock.tryLock(0);
    }
    if (locked) {
        platform::hide(startLockName);
        return {};
    }
    if (lock.error() != QLockFile::LockFailedError) {
        // Refusing would keep the user from the game for a fault that is not another Kestro's.
        return {};
    }
    std::string here;
    (void)platform::currentDirectory(here);
    return Failure{QCoreApplication::translate("Kestro", "start in"), here,
                   QCoreApplication::translate("Kestro", "Kestro already runs there"),
                   QCoreApplication::translate(
                       "Kestro", "Use the Kestro window that is open there: two windows on one "
                                 "start directory would each save a list of loaded folders of "
                                 "their own, and one would lose the other's.")};
}

Outcome Form_Load(Form &form)
{
    form.EAWfound = false;
    std::string current;
    const std::error_code ec = platform::currentDirectory(current);
    Outcome failed;
    if (ec) {
        failed = failure(QCoreApplication::translate("Kestro", "open"), ".", ec);
    } else {
        failed = form.Dir1.setPath(current);
        form.MyDir = current;
        form.EAWdir = current;
        // Read the list even when the directory list failed: closing the window writes it back.
        std::vector<std::string> folders;
        Outcome unread = readLoadedFolders(listFile(form), folders);
        form.listFileRead = !unread;
        if (!failed) {
            failed = std::move(unread);
        }
        for (const std::string &folder : folders) {
            form.List1.addItem(folder);
        }
    }

    form.lf = u"\r\n"_s;
    form.Label1.setCaption(
        u"First locate your main EAW directory. When you have found it the program will "_s);
    form.Label1.setCaption(form.Label1.caption() + u"check that it contains the 'eaw.ini' file."_s +
                           form.lf);
    form.Label1.setCaption(form.Label1.caption() +
                           u"If it does, then the other items on this form will be displayed."_s +
                           form.lf);
    form.Label1.setCaption(form.Label1.caption() +
                           u"Then you will be able to copy selected folder contents to the EAW "
                           u"directory "_s);
    form.Label1.setCaption(form.Label1.caption() + u"by clicking the 'Load' button."_s);
    form.Eawtext = form.Label1.caption();

    form.EawPic = platform::join(form.MyDir, "Kestro");
    showInstructions(form);
    return failed;
}

Outcome saveLoadedFolders(const Form &form)
{
    if (!form.listFileRead) {
        return Failure{
            QCoreApplication::translate("Kestro", "write"), listFile(form),
            QCoreApplication::translate(
                "Kestro", "it could not be read when Kestro started, so it is kept as it is")};
    }
    std::vector<std::string> folders;
    for (int i = 0, n = form.List1.count(); i < n; ++i) {
        folders.push_back(form.List1.item(i));
    }
    return writeLoadedFolders(listFile(form), folders);
}
