#include "install/filecopy.h"
#include "testdir.h"

#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace Qt::StringLiterals;

namespace {

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

// What only a direct call shows; the window's tests cover the rest of the copy.
class FileCopy : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The link is replaced by a file; the file it pointed to, outside the game, is untouched.
    void replacesLink()
    {
        TestDir dir;
        dir.write("addon/x.dat", "new");
        dir.write("outside.dat", "outside");
        dir.mkdir("game");
        const std::string target = dir.path("game/x.dat");
        QCOMPARE(::symlink(dir.path("outside.dat").c_str(), target.c_str()), 0);

        QCOMPARE(message(installFile(dir.path("addon/x.dat"), target)), QString());
        struct stat status = {};
        QCOMPARE(::lstat(target.c_str(), &status), 0);
        QVERIFY(S_ISREG(status.st_mode));
        QCOMPARE(dir.read("game/x.dat"), "new");
        QCOMPARE(dir.read("outside.dat"), "outside");
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
