#include "install/filecopy.h"
#include "immutable.h"
#include "testdir.h"

#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace Qt::StringLiterals;

namespace {

enum Kind { NewFile, OverFile, ReadOnlySource, OverLink, ReadOnly, Directory, Frozen, SourceGone };

QString message(const Outcome &outcome)
{
    return outcome ? outcome->message() : QString();
}

bool leftTemporary(const TestDir &dir)
{
    for (const std::string &name : dir.names("game")) {
        if (name.starts_with(".kestro-")) {
            return true;
        }
    }
    return false;
}

} // namespace

class FileCopy : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void copies_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("new file") << int(NewFile);
        QTest::newRow("over a file") << int(OverFile);
        QTest::newRow("read-only add-on file") << int(ReadOnlySource);
        QTest::newRow("over a link to a file outside") << int(OverLink);
    }

    void copies()
    {
        QFETCH(int, kind);
        TestDir dir;
        std::string bytes(300'000, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = char(i * 31 % 251);
        }
        dir.write("addon/x.dat", bytes);
        dir.mkdir("game");
        const std::string source = dir.path("addon/x.dat"), target = dir.path("game/x.dat");
        const timespec times[2] = {{1'000'000'000, 123'456'789}, {1'100'000'000, 987'654'321}};
        QCOMPARE(::utimensat(AT_FDCWD, source.c_str(), times, 0), 0);
        QCOMPARE(::chmod(source.c_str(), kind == ReadOnlySource ? 0444 : 0640), 0);
        if (kind == OverFile) {
            dir.write("game/x.dat", "old");
        } else if (kind == OverLink) {
            dir.write("outside.dat", "outside");
            QCOMPARE(::symlink(dir.path("outside.dat").c_str(), target.c_str()), 0);
        }

        QCOMPARE(message(installFile(source, target)), QString());
        struct stat status = {};
        QCOMPARE(::lstat(target.c_str(), &status), 0);
        QVERIFY(S_ISREG(status.st_mode));
        QVERIFY(dir.read("game/x.dat") == bytes);
        QCOMPARE(status.st_mtim.tv_sec, times[1].tv_sec);
        QCOMPARE(status.st_mtim.tv_nsec, times[1].tv_nsec);
        QCOMPARE(status.st_mode & 07777, kind == ReadOnlySource ? 0644u : 0640u);
        QCOMPARE(dir.read("outside.dat"), kind == OverLink ? "outside" : "");
        QVERIFY(!leftTemporary(dir));
    }

    void refuses_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only game file") << int(ReadOnly) << u"Permission denied"_s;
        QTest::newRow("directory") << int(Directory) << u"Is a directory"_s;
        QTest::newRow("immutable game file") << int(Frozen) << u"Operation not permitted"_s;
        QTest::newRow("add-on file gone") << int(SourceGone) << u"No such file or directory"_s;
    }

    void refuses()
    {
        QFETCH(int, kind);
        QFETCH(QString, reason);
        TestDir dir;
        dir.write("addon/x.dat", "new");
        const std::string source = dir.path("addon/x.dat"), target = dir.path("game/x.dat");
        if (kind == Directory) {
            dir.mkdir("game/x.dat");
        } else {
            dir.write("game/x.dat", "old");
        }
        if (kind == ReadOnly) {
            QCOMPARE(::chmod(target.c_str(), 0444), 0);
        } else if (kind == SourceGone) {
            QCOMPARE(::unlink(source.c_str()), 0);
        }
        Immutable frozen(kind == Frozen ? target : std::string());
        if (kind == Frozen && !frozen.isSet()) {
            QSKIP("this file system cannot make a file immutable");
        }

        const bool sourceNamed = kind == SourceGone;
        QCOMPARE(message(installFile(source, target)),
                 u"Cannot %1 \"%2\": %3"_s.arg(
                     sourceNamed ? u"copy"_s : u"copy to"_s,
                     QString::fromStdString(sourceNamed ? source : target), reason));
        if (kind != Directory) {
            QCOMPARE(dir.read("game/x.dat"), "old");
        }
        QVERIFY(!leftTemporary(dir));
    }

    // A full disk, as a file-size limit that root is held to as well.
    void fullDisk()
    {
        TestDir dir;
        dir.write("addon/big.dat", std::string(1 << 20, 'n'));
        dir.write("game/big.dat", "old");
        const std::string target = dir.path("game/big.dat");
        int pipeEnds[2];
        QCOMPARE(::pipe(pipeEnds), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeEnds[0]);
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit = {64 * 1024, 64 * 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const QByteArray text =
                message(installFile(dir.path("addon/big.dat"), target)).toUtf8();
            const bool written = ::write(pipeEnds[1], text.data(), std::size_t(text.size())) >= 0;
            ::_exit(written ? 0 : 1);
        }
        ::close(pipeEnds[1]);
        QByteArray text;
        char buffer[512];
        for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
            text.append(buffer, got);
        }
        ::close(pipeEnds[0]);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QCOMPARE(QString::fromUtf8(text),
                 u"Cannot copy to \"%1\": File too large"_s.arg(QString::fromStdString(target)));
        QCOMPARE(dir.read("game/big.dat"), "old");
        QVERIFY(!leftTemporary(dir));
    }
};

QTEST_GUILESS_MAIN(FileCopy)
#include "filecopy.moc"
