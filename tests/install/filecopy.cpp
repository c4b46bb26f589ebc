// What only a direct copy shows: links and a full disk. The window's tests cover the rest.
#include "install/filecopy.h"
#include "testdir.h"
#include "windowdriver.h"

#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

class FileCopy : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A link in the game directory is replaced; the file it pointed to is untouched.
    void replacesLink()
    {
        TestDir dir;
        dir.write("addon/x.dat", "new");
        dir.write("outside.dat", "outside");
        dir.mkdir("game");
        const std::string target = dir.path("game/x.dat");
        QCOMPARE(::symlink(dir.path("outside.dat").c_str(), target.c_str()), 0);

        QVERIFY(!installFile(dir.path("addon/x.dat"), target));
        struct stat status = {};
        QCOMPARE(::lstat(target.c_str(), &status), 0);
        QVERIFY(S_ISREG(status.st_mode));
        QCOMPARE(dir.read("game/x.dat"), "new");
        QCOMPARE(dir.read("outside.dat"), "outside");
        QVERIFY(!leftTemporary(dir.path("game")));
    }

    void fullDiskKeepsOldFile()
    {
        TestDir dir;
        dir.write("addon/big.dat", std::string(1 << 20, 'n'));
        dir.write("game/big.dat", "old");
        const std::string target = dir.path("game/big.dat");
        const QString expected =
            u"Cannot copy to \"%1\": File too large"_s.arg(QString::fromStdString(target));
        QCOMPARE(inChild([&] {
                     limitFileSize(64 * 1024);
                     const Outcome failed = installFile(dir.path("addon/big.dat"), target);
                     return !failed ? 2 : failed->message() == expected ? 0 : 3;
                 }),
                 0);
        QCOMPARE(dir.read("game/big.dat"), "old");
        QVERIFY(!leftTemporary(dir.path("game")));
    }
};

QTEST_GUILESS_MAIN(FileCopy)
#include "filecopy.moc"
