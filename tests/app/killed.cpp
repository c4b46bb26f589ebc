// SPDX-License-Identifier: GPL-3.0-or-later
// Kestro, this program started again, killed (SIGKILL, TerminateProcess) at any moment of a
// Load, a removal or a save of the list: no game file is torn, the list file is whole, the killed
// run showed nothing and died of the kill alone, and the next run takes its lock over, finishes
// the work and leaves no temporary; a second Kestro is refused. Replay: KESTRO_KILL_SEED=<seed>.
#include "app/startup.h"
#include "core/directory.h"
#include "windowdriver.h"

#include <QProcess>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <thread>

using Clock = std::chrono::steady_clock;

// Fewer and smaller files where a process is slow to start (Wine), for a campaign of minutes.
static constexpr int files = onPosix ? 200 : 40;
// `make soak` multiplies the kills of each kind by KESTRO_KILL_ROUNDS.
static const int rounds = std::max(1, qEnvironmentVariableIntValue("KESTRO_KILL_ROUNDS"));

// Version 'A' or 'B' of game file "f<i>" is that letter, each of a size of its own, so a torn
// copy or a copy under the wrong name shows.
static std::size_t size(char version, int i)
{
    return (onPosix ? 1 << 18 : 1 << 16) + std::size_t(version == 'A' ? i : 2 * i + 1);
}

static constexpr int killCode = onPosix ? 9 : 0xf291; // a child's, ended by QProcess::kill

// The Kestro to kill, started in the start directory: it finds the game, says it is ready, does
// `act` when told (a Load of that folder, or '-': a removal of the last loaded one), closes the
// window and says so. It tells each message at once, and its end may never come.
static int child(char act)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    Messages messages;
    messages.telling = true;
    Form1 window;
    window.show();
    click(window, platform::join(window.form.MyDir, "game"));
    std::fputs("ready\n", stdout);
    (void)std::getchar();
    if (act == '-') {
        clickRow(window.List1, window.List1->count() - 1);
    } else {
        click(window, platform::join(window.form.MyDir, std::string(1, act)));
        clickLoad(window);
    }
    window.close();
    std::fputs("acted\n", stdout);
    return 0;
}

class Killed : public QObject
{
    Q_OBJECT

    TestDir start{onPosix ? u"/dev/shm/kestro-killed"_s : QDir::tempPath() + u"/kestro-killed"_s};
    std::mt19937 random;
    Clock::duration took, saveTook; // of the last run not killed: `act` and the close; a save
    int loadKills = 0, removalKills = 0, saveKills = 0;
    bool killed = false;       // the last child, before it closed its window
    bool killedSaving = false; // the last child, while the list's temporary was there

    bool leftIn(const std::string &folder, std::string_view prefix)
    {
        return std::ranges::any_of(
            start.names(folder), [&](const std::string &name) { return name.starts_with(prefix); });
    }

    bool saving() { return leftIn({}, ".FoldersLoaded-"); }

    // Polls, not spins (the child needs the processor more), for the list's temporary file.
    Clock::time_point until(bool there, QProcess &child)
    {
        while (saving() != there && !child.waitForFinished(0)) {
            std::this_thread::sleep_for(50us);
        }
        return Clock::now();
    }

    // Starts a child that does `act`; with `killAfter`, kills it that long after `act` began or,
    // in a save, after the list's temporary file appeared; with `second`, a second Kestro comes
    // before `act`. The child must finish having said only that it was ready and acted, or die of
    // the kill alone having said no more; killed before it closed its window, it leaves its lock.
    void run(char act, std::optional<Clock::duration> killAfter = {}, bool inSave = false,
             bool second = false)
    {
        QProcess child;
        child.setWorkingDirectory(start.qpath());
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {u"-platform"_s, u"offscreen"_s, u"child"_s, QString(QLatin1Char(act))});
        QByteArray said;
        const auto hear = [&](const char *line) {
            while (!said.contains(line) && child.waitForReadyRead(60'000)) {
                said += child.readAll().replace('\r', "");
            }
        };
        hear("ready\n");
        if (second) { // this process is the second Kestro
            Messages messages;
            QDir::setCurrent(start.qpath());
            QVERIFY(Form1().refused());
            QVERIFY(messages.take().startsWith(
                u"Cannot start in \"%1\": Kestro already runs there"_s.arg(start.qpath())));
        }
        child.write("\n");
        child.waitForBytesWritten();
        const auto from = Clock::now(), at = inSave ? until(true, child) : from;
        if (!killAfter) {
            saveTook = inSave ? until(false, child) - at : Clock::duration();
            hear("acted\n");
            took = Clock::now() - from;
        }
        // A save that ends before the moment chosen is killed as the next one begins.
        while (killAfter && Clock::now() < at + *killAfter) {
            if (inSave && !saving()) {
                until(true, child);
                break;
            }
            std::this_thread::sleep_for(50us);
        }
        if (killAfter) {
            killedSaving = saving();
            child.kill();
        }
        child.waitForFinished(60'000);
        said += child.readAll().replace('\r', "");
        // Before it is ready, Qt may speak of the system it starts on (fonts, folders).
        const QByteArray after =
            said.contains("ready\n") ? said.mid(said.indexOf("ready\n") + 6) : "?";
        killed =
            killAfter && child.exitStatus() == QProcess::CrashExit && child.exitCode() == killCode;
        const bool ended = !killed && child.exitStatus() == QProcess::NormalExit &&
                           child.exitCode() == 0 && after == "acted\n";
        const bool locked = fs::exists(fsPath(start.path(startLockName)));
        QVERIFY2(
            !said.contains("shown: ") &&
                (ended ? !locked : killed && (after == "acted\n" || (after.isEmpty() && locked))),
            qPrintable(u"the child crashed, said more, left its lock or none (exit %1): "_s.arg(
                           child.exitCode()) +
                       QString::fromLocal8Bit(said)));
        killed = killed && after.isEmpty();
    }

    // Every game file holds one of the versions allowed ('-': it may be gone), whole, and
    // the lists show nothing else.
    void checkGame(const std::string &allowed)
    {
        for (int i = 0; i < files; ++i) {
            const std::string file = "game/f" + std::to_string(i), bytes = start.read(file);
            const char found = !fs::exists(fsPath(start.path(file)))     ? '-'
                               : bytes == std::string(size('A', i), 'A') ? 'A'
                               : bytes == std::string(size('B', i), 'B') ? 'B'
                                                                         : '?';
            QVERIFY2(allowed.find(found) != std::string::npos, (file + " is " + found).c_str());
        }
        Names listed;
        QVERIFY(!listFiles(start.path("game"), "*.*", listed));
        QVERIFY(std::ranges::all_of(listed, [](const std::string &file) {
            return file == "eaw.ini" || file.starts_with('f');
        }));
    }

    // Kills `act` at a random moment of it (of its save), checks what is left, then lets `act`
    // run whole and leave no temporary file. A kill sent while the list's temporary was there
    // came inside a save.
    void killAndFinish(char act, Clock::duration whole, const std::string &allowed,
                       const std::string &listAfter, int &kills, bool inSave = false)
    {
        const std::string listBefore = start.read("FoldersLoaded.txt");
        std::uniform_int_distribution<Clock::rep> moment(0, whole.count());
        run(act, Clock::duration(moment(random)), inSave);
        kills += killed;
        checkGame(allowed);
        const std::string list = start.read("FoldersLoaded.txt");
        QVERIFY2(list == listBefore || list == listAfter, "the list is torn");
        saveKills += killedSaving;
        start.write("FoldersLoaded.txt", listBefore);
        run(act);
        QVERIFY(!leftIn("game", ".kestro-") && !saving());
        QCOMPARE(start.read("FoldersLoaded.txt"), listAfter);
    }

private Q_SLOTS:
    void initTestCase()
    {
        const char *replay = std::getenv("KESTRO_KILL_SEED");
        const unsigned seed = replay ? unsigned(std::stoul(replay)) : std::random_device()();
        qInfo("KESTRO_KILL_SEED=%u", seed);
        random.seed(seed);
        makeStart(start);
        start.make({"game/eaw.ini", "C/"});
        for (int i = 0; i < files; ++i) {
            for (const std::string folder : {"A/f", "B/f", "game/f"}) {
                const char version = folder[0] == 'B' ? 'B' : 'A';
                start.write(folder + std::to_string(i), std::string(size(version, i), version));
            }
        }
    }

    // After a Load of the empty folder "C", the kill comes at a random moment of the save of a
    // list long enough to take time.
    void killedSave()
    {
        const std::string list =
            QByteArray(1'000, 'x').prepend('/').append("\r\n").repeated(2'000).toStdString();
        start.write("FoldersLoaded.txt", list);
        run('C', {}, true, true);
        const auto lifetime = saveTook;
        const int least = (onPosix ? 20 : 10) * rounds;
        for (int tries = 0, kills = 0; saveKills < least && !QTest::currentTestFailed(); ++tries) {
            QVERIFY2(tries < 3 * least, "the kills never came inside a save");
            start.write("FoldersLoaded.txt", list);
            killAndFinish('C', lifetime, "A", list + start.path("C") + "\r\n", kills, true);
        }
        start.write("FoldersLoaded.txt", "");
    }

    void killedLoad()
    {
        run('B', {}, false, true);
        const auto whole = took;
        for (char from = 'B', to = 'A';
             loadKills < (onPosix ? 40 : 10) * rounds && !QTest::currentTestFailed();
             std::swap(from, to)) {
            const std::string list = start.read("FoldersLoaded.txt");
            killAndFinish(to, whole, {from, to}, list + start.path({to}) + "\r\n", loadKills);
            checkGame({to});
        }
    }

    void killedRemoval()
    {
        start.write("FoldersLoaded.txt", start.path("A") + "\r\n");
        run('-', {}, false, true);
        const auto whole = took;
        while (removalKills < (onPosix ? 20 : 10) * rounds && !QTest::currentTestFailed()) {
            // As a Load of "B" leaves the game, without the time a Kestro takes to start.
            for (int i = 0; i < files; ++i) {
                start.write("game/f" + std::to_string(i), std::string(size('B', i), 'B'));
            }
            start.write("FoldersLoaded.txt", start.path("B") + "\r\n");
            killAndFinish('-', whole, "B-", "", removalKills);
            checkGame("-");
        }
    }

    void cleanupTestCase()
    {
        qInfo("kills: %d in a Load, %d in a removal, %d in a save of the list", loadKills,
              removalKills, saveKills);
    }
};

// Started with "child" and a letter, this program is the Kestro the campaign kills.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "child") == 0) {
        return child(argv[2][0]);
    }
    Killed test;
    return QTest::qExec(&test, argc, argv);
}
#include "killed.moc"
