// SPDX-License-Identifier: GPL-3.0-or-later
// Kestro killed at any moment of a Load, a removal or a save: no game file is torn, the list
// file is whole, and the next run finishes the work. Replay a run with KESTRO_KILL_SEED=<seed>.
#include "core/directory.h"
#include "windowdriver.h"

#include <chrono>
#include <csignal>
#include <random>
#include <sys/mman.h>
#include <thread>

using Clock = std::chrono::steady_clock;
using Act = std::function<void(Form1 &)>;

static constexpr int files = 200;

// Version 'A' or 'B' of game file "f<i>": about 1 MiB, each of a size of its own, so a torn
// copy or a copy under the wrong name shows.
static std::string content(char version, int i)
{
    return std::string((1 << 20) + (version == 'A' ? i : 2 * i + 1), version);
}

class Killed : public QObject
{
    Q_OBJECT

    TestDir start{u"/dev/shm/kestro-killed"_s};
    std::mt19937 random;
    int kills = 0;

    // Starts Kestro in a child that finds the game, does `act` and closes the window; with
    // `killAfter`, a thread of the child kills it that long after `act` began. Gives how long
    // `act` and the close took, or nothing if the child neither finished cleanly nor was killed.
    std::optional<Clock::duration> run(const Act &act,
                                       std::optional<Clock::duration> killAfter = {})
    {
        // Where the child leaves the time it took.
        static auto *took = static_cast<Clock::duration *>(
            ::mmap(nullptr, sizeof(Clock::duration), PROT_READ | PROT_WRITE,
                   MAP_SHARED | MAP_ANONYMOUS, -1, 0));
        const int exit = inChild([&] {
            Messages messages;
            auto window = openWindow(start, "game");
            const auto from = Clock::now();
            if (killAfter) {
                std::thread([at = from + *killAfter] {
                    std::this_thread::sleep_until(at);
                    ::kill(::getpid(), SIGKILL);
                }).detach();
            }
            act(*window);
            window->close();
            *took = Clock::now() - from;
            return messages.take().isEmpty() ? 0 : 1;
        });
        kills += exit == -1;
        return exit == 0 || (killAfter && exit == -1) ? std::optional(*took) : std::nullopt;
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
    // the lists show nothing else.
    void checkGame(const std::string &allowed)
    {
        for (int i = 0; i < files; ++i) {
            const std::string file = "game/f" + std::to_string(i), bytes = start.read(file);
            const char found = !fs::exists(start.path(file)) ? '-'
                               : bytes == content('A', i)    ? 'A'
                               : bytes == content('B', i)    ? 'B'
                                                             : '?';
            QVERIFY2(allowed.find(found) != std::string::npos, (file + " is " + found).c_str());
        }
        Names listed;
        QVERIFY(!listFiles(start.path("game"), "*.*", listed));
        QVERIFY(std::ranges::all_of(listed, [](const std::string &file) {
            return file == "eaw.ini" || file.starts_with('f');
        }));
    }

    // Kills `act` at a random moment of it, checks what is left, then lets `act` run whole and
    // leave no temporary file.
    void killAndFinish(const Act &act, Clock::duration whole, const std::string &allowed,
                       const std::string &listAfter)
    {
        const std::string listBefore = start.read("FoldersLoaded.txt");
        run(act,
            Clock::duration(std::uniform_int_distribution<Clock::rep>(0, whole.count())(random)));
        checkGame(allowed);
        const std::string list = start.read("FoldersLoaded.txt");
        QVERIFY2(list == listBefore || list == listAfter, list.c_str());
        start.write("FoldersLoaded.txt", listBefore);
        QVERIFY(run(act));
        QVERIFY(std::ranges::none_of(start.names("game"), [](const std::string &file) {
            return file.starts_with(".kestro-");
        }));
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
        start.write("game/eaw.ini");
        for (int i = 0; i < files; ++i) {
            for (const std::string folder : {"A/f", "B/f", "game/f"}) {
                start.write(folder + std::to_string(i), content(folder[0] == 'B' ? 'B' : 'A', i));
            }
        }
    }

    void killedLoad()
    {
        const auto whole = run(load('B'));
        QVERIFY(whole);
        for (char from = 'B', to = 'A'; kills < 40; std::swap(from, to)) {
            const std::string list = start.read("FoldersLoaded.txt");
            killAndFinish(load(to), *whole, {from, to}, list + start.path({to}) + "\r\n");
            checkGame({to});
        }
    }

    void killedRemoval()
    {
        start.write("FoldersLoaded.txt", start.path("A") + "\r\n");
        const auto whole = run(removeLast);
        QVERIFY(whole);
        while (kills < 60) {
            QVERIFY(run(load('B')));
            killAndFinish(removeLast, *whole, "B-", "");
            checkGame("-");
        }
    }

    void cleanupTestCase() { qInfo("%d kills", kills); }
};

QTEST_MAIN(Killed)
#include "killed.moc"
