// SPDX-License-Identifier: GPL-3.0-or-later
// Kestro killed at any moment of a Load, a removal or a save of the list: no game file is torn,
// the list file is whole, the killed run showed nothing and died of the kill alone, and the
// next run finishes the work and leaves no temporary. Replay a run with KESTRO_KILL_SEED=<seed>.
#include "core/directory.h"
#include "windowdriver.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <random>
#include <sys/mman.h>
#include <thread>

using Clock = std::chrono::steady_clock;
using Act = std::function<void(Form1 &)>;

static constexpr int files = 200;
// `make soak` multiplies the kills of each kind by KESTRO_KILL_ROUNDS.
static const int rounds = std::max(1, qEnvironmentVariableIntValue("KESTRO_KILL_ROUNDS"));

// Version 'A' or 'B' of game file "f<i>" is that letter, each of a size of its own, so a torn
// copy or a copy under the wrong name shows.
static std::size_t size(char version, int i)
{
    return (1 << 18) + std::size_t(version == 'A' ? i : 2 * i + 1);
}

// What a child tells the test, in memory both share.
struct Report
{
    Clock::duration took, saving; // how long `act` and the close, and the list's temporary, lasted
    std::atomic<int> shown;       // messages
    std::atomic<bool> killing;    // by its own thread
};

class Killed : public QObject
{
    Q_OBJECT

    TestDir start{u"/dev/shm/kestro-killed"_s};
    std::mt19937 random;
    Report *report = new (::mmap(nullptr, sizeof(Report), PROT_READ | PROT_WRITE,
                                 MAP_SHARED | MAP_ANONYMOUS, -1, 0)) Report{};
    int loadKills = 0, removalKills = 0, saveKills = 0;

    bool leftIn(const std::string &folder, std::string_view prefix)
    {
        return std::ranges::any_of(
            start.names(folder), [&](const std::string &name) { return name.starts_with(prefix); });
    }

    bool saving() { return leftIn({}, ".FoldersLoaded-"); }

    // Polls, not spins (the window needs the processor more), for the list's temporary file.
    Clock::time_point until(bool there)
    {
        while (saving() != there) {
            std::this_thread::sleep_for(50us);
        }
        return Clock::now();
    }

    // Starts Kestro in a child that finds the game, does `act` and closes the window; with
    // `killAfter`, a thread of the child kills it that long after `act` began or, in a save,
    // after the list's temporary file appeared. The child must finish showing nothing, or die
    // of that kill alone, having shown nothing. Gives whether it was killed.
    bool run(const Act &act, std::optional<Clock::duration> killAfter = {}, bool inSave = false)
    {
        report->shown = 0;
        report->killing = false;
        const int ended = inChild([&] {
            Messages messages;
            messages.tally = &report->shown;
            auto window = openWindow(start, "game");
            const auto from = Clock::now();
            std::thread([=, this] {
                const auto at = inSave ? until(true) : from;
                if (!killAfter) {
                    report->saving = inSave ? until(false) - at : Clock::duration();
                    return;
                }
                // A save that ends before the moment chosen is killed as the next one begins.
                while (Clock::now() < at + *killAfter) {
                    if (inSave && !saving()) {
                        until(true);
                        break;
                    }
                    std::this_thread::sleep_for(50us);
                }
                report->killing = true;
                ::kill(::getpid(), SIGKILL);
            }).detach();
            act(*window);
            window->close();
            report->took = Clock::now() - from;
            return messages.take().isEmpty() ? 0 : 1;
        });
        const bool killed = ended == -SIGKILL && report->killing;
        QTest::qVerify((ended == 0 || killed) && report->shown == 0, "run",
                       "the child crashed, "
                       "showed a message or was killed by another",
                       __FILE__, __LINE__);
        return killed;
    }

    Act load(char version)
    {
        return [this, version](Form1 &window) {
            click(window, start.path({version}));
            clickLoad(window);
        };
    }

    static void removeLast(Form1 &window) { clickRow(window.List1, window.List1->count() - 1); }

    // Every game file holds one of the versions allowed ('-': it may be gone), whole, and
    // the lists show nothing else. One buffer takes every file: fresh memory for each is slow
    // under AddressSanitizer.
    void checkGame(const std::string &allowed)
    {
        static const std::string as(size('B', files), 'A'), bs(size('B', files), 'B');
        std::string bytes;
        for (int i = 0; i < files; ++i) {
            const std::string file = "game/f" + std::to_string(i);
            std::error_code gone;
            bytes.resize(fs::file_size(start.path(file), gone) * !gone);
            std::ifstream(start.path(file), std::ios::binary)
                .read(bytes.data(), std::streamsize(bytes.size()));
            const char version = bytes.empty() ? '?' : bytes[0];
            const bool whole =
                bytes.size() == size(version, i) &&
                std::memcmp(bytes.data(), (version == 'A' ? as : bs).data(), bytes.size()) == 0;
            const char found = gone ? '-' : whole ? version : '?';
            QVERIFY2(allowed.find(found) != std::string::npos, (file + " is " + found).c_str());
        }
        Names listed;
        QVERIFY(!listFiles(start.path("game"), "*.*", listed));
        QVERIFY(std::ranges::all_of(listed, [](const std::string &file) {
            return file == "eaw.ini" || file.starts_with('f');
        }));
    }

    // Kills `act` at a random moment of it (of its save), checks what is left, then lets `act`
    // run whole and leave no temporary file. A kill that left the list's temporary came inside
    // its save.
    void killAndFinish(const Act &act, Clock::duration whole, const std::string &allowed,
                       const std::string &listAfter, int &kills, bool inSave = false)
    {
        const std::string listBefore = start.read("FoldersLoaded.txt");
        std::uniform_int_distribution<Clock::rep> moment(0, whole.count());
        kills += run(act, Clock::duration(moment(random)), inSave);
        checkGame(allowed);
        const std::string list = start.read("FoldersLoaded.txt");
        QVERIFY2(list == listBefore || list == listAfter, "the list is torn");
        saveKills += saving();
        start.write("FoldersLoaded.txt", listBefore);
        QVERIFY(!run(act));
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
        run(load('C'), {}, true);
        const auto lifetime = report->saving;
        for (int tries = 0, kills = 0; saveKills < 20 * rounds && !QTest::currentTestFailed();
             ++tries) {
            QVERIFY2(tries < 60 * rounds, "the kills never came inside a save");
            start.write("FoldersLoaded.txt", list);
            killAndFinish(load('C'), lifetime, "A", list + start.path("C") + "\r\n", kills, true);
        }
        start.write("FoldersLoaded.txt", "");
    }

    void killedLoad()
    {
        run(load('B'));
        const auto whole = report->took;
        for (char from = 'B', to = 'A'; loadKills < 40 * rounds && !QTest::currentTestFailed();
             std::swap(from, to)) {
            const std::string list = start.read("FoldersLoaded.txt");
            killAndFinish(load(to), whole, {from, to}, list + start.path({to}) + "\r\n", loadKills);
            checkGame({to});
        }
    }

    void killedRemoval()
    {
        start.write("FoldersLoaded.txt", start.path("A") + "\r\n");
        run(removeLast);
        const auto whole = report->took;
        while (removalKills < 20 * rounds && !QTest::currentTestFailed()) {
            QVERIFY(!run(load('B')));
            killAndFinish(removeLast, whole, "B-", "", removalKills);
            checkGame("-");
        }
    }

    void cleanupTestCase()
    {
        qInfo("kills: %d in a Load, %d in a removal, %d in a save of the list", loadKills,
              removalKills, saveKills);
    }
};

QTEST_MAIN(Killed)
#include "killed.moc"
