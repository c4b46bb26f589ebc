// SPDX-License-Identifier: GPL-3.0-or-later
// Times Load and removal, through the window's own handlers, against the system's cp and rm
// doing the same work on the same generated files in the same run, and prints the ratios.
//
// Kestro and the tool take turns: one untimed run each to fill the caches, then three timed
// runs each, of which the best counts. Files are put back, untimed, before every run.
// Arguments name the rows to time ("small", "huge", "large", "remove"); none times them all.

#include "app/form1.h"
#include "widgets/dirlistbox.h"
#include "widgets/filelistbox.h"
#include "widgets/listbox.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

namespace {

constexpr int smallFiles = 10'000;
// The files of a game directory that the small files are loaded into.
constexpr int otherGameFiles = 40'000;
constexpr int hugeFolderFiles = 100'000;
constexpr int largeFiles = 4;
constexpr std::size_t largeSize = std::size_t(256) << 20;
constexpr int gameFiles = 50'000;
constexpr int removedFiles = 5'000;

// The text of the last message box the window showed.
QString shownMessage;

[[noreturn]] void fail(const std::string &what)
{
    throw std::runtime_error(what);
}

void writeFile(const std::string &path, const char *bytes, std::size_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        fail("cannot create " + path);
    }
    for (std::size_t written = 0; written < size;) {
        const ssize_t now = ::write(fd, bytes + written, size - written);
        if (now <= 0) {
            fail("cannot write " + path);
        }
        written += std::size_t(now);
    }
    ::close(fd);
}

std::size_t countFiles(const std::string &directory)
{
    return std::size_t(std::distance(fs::directory_iterator(directory), {}));
}

void runTool(const QString &program, const QStringList &arguments, const std::string &directory)
{
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(directory));
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        fail((program + u" failed: "_s + QString::fromLocal8Bit(process.readAllStandardError()))
                 .toStdString());
    }
}

// One way of doing the work: `prepare` sets the files up and is not timed.
struct Contender
{
    std::function<void()> prepare;
    std::function<void()> work;
};

// The best time of each contender, taking turns, first in one order and then in the other,
// so that each meets the same machine: on ext4 without a journal, creating files is slow
// for minutes after many were deleted, by this run or anyone else.
std::vector<double> race(const std::vector<Contender> &contenders)
{
    std::vector<double> best(contenders.size(), 1e9);
    for (int run = 0; run < 4; ++run) {
        for (std::size_t turn = 0; turn < contenders.size(); ++turn) {
            const std::size_t i = run % 2 ? contenders.size() - 1 - turn : turn;
            contenders[i].prepare();
            ::sync();
            const auto started = std::chrono::steady_clock::now();
            contenders[i].work();
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
            if (!shownMessage.isEmpty()) {
                fail(shownMessage.toStdString());
            }
            if (run > 0) {
                best[i] = std::min(best[i], took.count());
            }
        }
    }
    return best;
}

std::string fileName(int i)
{
    char name[32];
    std::snprintf(name, sizeof name, "file%05d.dat", i);
    return name;
}

// The names removed: every tenth game file.
bool removed(int i)
{
    return i % (gameFiles / removedFiles) == 0;
}

struct Result
{
    const char *work;
    double kestro;
    double tool;
    const char *toolName;
    double target;
};

class Bench
{
public:
    // Times the rows named ("small", "huge", "large", "remove"), or every row.
    Bench(const std::string &root, const QStringList &rows)
        : root_(root), start_(root + "/start"), game_(start_ + "/EAW"), rows_(rows)
    {
    }

    std::vector<Result> run();

private:
    bool wanted(const QString &row) const { return rows_.isEmpty() || rows_.contains(row); }
    void generate();
    // What a click on a subdirectory of the start directory in the directory list does.
    void choose(const std::string &directory);
    // Empties a directory. The old files of a copy of many files are moved aside, and only
    // deleted when the bench ends, for the reason given at race().
    void empty(const std::string &directory, bool moveAside);
    void fillGame(const std::string &directory);
    // Puts `others` files of no add-on into a directory, and takes out what a copy of `folder`
    // put there: by moving the whole directory aside and making the others afresh, when many
    // files were copied.
    void makeRoom(const std::string &directory, const std::string &folder, int others,
                  bool moveAside);
    std::vector<double> load(const std::string &folder, std::size_t files, int others);
    std::vector<double> remove();
    std::vector<double> removeEvery(const std::string &folder, int files);

    std::string root_, start_, game_;
    QStringList rows_;
    int movedAside_ = 0;
    std::unique_ptr<Form1> window_;
};

void Bench::generate()
{
    std::vector<char> bytes(std::size_t(1) << 20);
    std::uint32_t state = 2463534242u;
    for (char &byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = char(state);
    }
    fs::create_directories(start_ + "/small");
    for (int i = 0; i < smallFiles * wanted(u"small"_s); ++i) {
        const std::size_t size = 1024 + std::size_t(i) * 7919 % 3073; // 1 to 4 KiB
        writeFile(start_ + "/small/" + fileName(i), bytes.data() + i * 64, size);
    }
    fs::create_directories(start_ + "/huge");
    for (int i = 0; i < hugeFolderFiles * wanted(u"huge"_s); ++i) {
        writeFile(start_ + "/huge/" + fileName(i), bytes.data() + i % 4096, 1024);
    }
    fs::create_directories(start_ + "/large");
    for (int i = 0; i < largeFiles * wanted(u"large"_s); ++i) {
        const std::string path = start_ + "/large/part" + std::to_string(i) + ".dat";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        for (std::size_t written = 0; written < largeSize; written += bytes.size()) {
            bytes[0] = char(written >> 20); // no two blocks alike
            if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) {
                fail("cannot write " + path);
            }
        }
        ::close(fd);
    }
    fs::create_directories(start_ + "/remove");
    for (int i = 0; i < gameFiles * wanted(u"remove"_s); ++i) {
        if (removed(i)) {
            writeFile(start_ + "/remove/" + fileName(i), "", 0);
        }
    }
    fs::create_directories(game_);
    writeFile(game_ + "/eaw.ini", "", 0);
}

void Bench::choose(const std::string &directory)
{
    DirListBox &list = *window_->Dir1;
    const int ancestors = list.model()->rowCount() - list.count();
    for (int i = 0; i < list.count(); ++i) {
        if (list.entry(i) == directory) {
            list.selectRow(ancestors + i);
            Q_EMIT list.clicked();
            return;
        }
    }
    fail("no folder " + directory);
}

void Bench::empty(const std::string &directory, bool moveAside)
{
    if (moveAside) {
        fs::create_directories(root_ + "/aside");
        fs::rename(directory, root_ + "/aside/" + std::to_string(++movedAside_));
    }
    fs::remove_all(directory);
    fs::create_directories(directory);
}

void Bench::fillGame(const std::string &directory)
{
    for (int i = 0; i < gameFiles; ++i) {
        const std::string path = directory + "/" + fileName(i);
        if (removed(i) || !fs::exists(path)) {
            writeFile(path, "", 0);
        }
    }
}

void Bench::makeRoom(const std::string &directory, const std::string &folder, int others,
                     bool moveAside)
{
    if (moveAside) {
        empty(directory, true);
    }
    for (int i = 0; i < others; ++i) {
        const std::string path = directory + "/other" + fileName(i);
        if (moveAside || !fs::exists(path)) {
            writeFile(path, "", 0);
        }
    }
    if (!moveAside) {
        for (const auto &entry : fs::directory_iterator(start_ + "/" + folder)) {
            fs::remove(directory + "/" + entry.path().filename().native());
        }
    }
}

// Load of a folder into a game directory holding `others` other files, and cp of it into a
// directory holding as many.
std::vector<double> Bench::load(const std::string &folder, std::size_t files, int others)
{
    const bool many = files > largeFiles;
    const std::string copy = root_ + "/copy";
    fs::create_directories(copy);
    choose(start_ + "/" + folder);
    const QStringList arguments = {u"-p"_s, u"-R"_s, u"--"_s,
                                   QString::fromStdString(start_ + "/" + folder + "/."),
                                   QString::fromStdString(copy)};
    const std::vector<double> times = race({
        {[&] {
             makeRoom(game_, folder, others, many);
             writeFile(game_ + "/eaw.ini", "", 0);
         },
         [&] { window_->Command1->click(); }},
        {[&] { makeRoom(copy, folder, others, many); },
         [&] { runTool(u"cp"_s, arguments, root_); }},
    });
    if (countFiles(game_) != files + std::size_t(others) + 1 ||
        countFiles(copy) != files + std::size_t(others)) {
        fail("a copy of " + folder + " is missing files");
    }
    // Moved aside, not deleted: the rows after this one would create their files among
    // thousands of inodes freed a moment ago.
    empty(game_, true);
    writeFile(game_ + "/eaw.ini", "", 0);
    empty(copy, true);
    return times;
}

// Removal of a loaded folder while the file list shows an add-on folder, the same while it
// shows the game directory (just after it was found), and rm of the same names.
std::vector<double> Bench::remove()
{
    const std::string folder = start_ + "/remove";
    const std::string rmGame = root_ + "/rm";
    fs::create_directories(rmGame);
    QStringList arguments = {u"-f"_s, u"--"_s};
    for (int i = 0; i < gameFiles; ++i) {
        if (removed(i)) {
            arguments.append(QString::fromStdString(fileName(i)));
        }
    }
    ListBox &loaded = *window_->List1;
    const auto removal = [&](const std::string &shown) {
        return Contender{[&, shown] {
                             fillGame(game_);
                             choose(shown);
                             loaded.addItem(folder);
                         },
                         [&] {
                             loaded.selectRow(loaded.count() - 1);
                             Q_EMIT loaded.clicked();
                         }};
    };
    const std::vector<double> times = race({
        removal(start_ + "/large"),
        removal(game_),
        {[&] { fillGame(rmGame); }, [&] { runTool(u"rm"_s, arguments, rmGame); }},
    });
    const std::size_t left = gameFiles - removedFiles;
    if (countFiles(game_) != left + 1 || countFiles(rmGame) != left ||
        loaded.item(loaded.count() - 1) == folder) {
        fail("a removal left the wrong files");
    }
    return times;
}

// Removal of a loaded folder whose every file is in the game directory, and deleting them all
// with find: their names are too many for one command line of rm.
std::vector<double> Bench::removeEvery(const std::string &folder, int files)
{
    const std::string rmGame = root_ + "/rm";
    const QStringList arguments = {u"."_s, u"-maxdepth"_s, u"1"_s,  u"-type"_s,
                                   u"f"_s, u"-name"_s,     u"f*"_s, u"-delete"_s};
    const auto fill = [&](const std::string &directory) {
        fs::create_directories(directory);
        for (int i = 0; i < files; ++i) {
            writeFile(directory + "/" + fileName(i), "", 0);
        }
    };
    ListBox &loaded = *window_->List1;
    const std::vector<double> times = race({
        {[&] {
             fill(game_);
             choose(start_ + "/large");
             loaded.addItem(start_ + "/" + folder);
         },
         [&] {
             loaded.selectRow(loaded.count() - 1);
             Q_EMIT loaded.clicked();
         }},
        {[&] { fill(rmGame); }, [&] { runTool(u"find"_s, arguments, rmGame); }},
    });
    if (countFiles(game_) != 1 || countFiles(rmGame) != 0) {
        fail("a removal of " + folder + " left files");
    }
    return times;
}

std::vector<Result> Bench::run()
{
    std::printf("Generating files in %s ...\n", root_.c_str());
    std::fflush(stdout);
    generate();
    QDir::setCurrent(QString::fromStdString(start_));
    window_ = std::make_unique<Form1>();
    window_->show();
    choose(game_);
    if (!window_->form.EAWfound) {
        fail("the game directory was not found");
    }

    std::vector<Result> results;
    const char *cp = "cp -p -R folder/. target";
    if (wanted(u"small"_s)) {
        std::printf("Timing Load of %d small files into %d ...\n", smallFiles, otherGameFiles);
        std::fflush(stdout);
        const std::vector<double> small = load("small", smallFiles, otherGameFiles);
        results.push_back({"Load 10,000 of 1-4 KiB to 40,000", small[0], small[1], cp, 1.0});
    }
    if (wanted(u"huge"_s)) {
        std::printf("Timing Load of a folder of %d files ...\n", hugeFolderFiles);
        std::fflush(stdout);
        const std::vector<double> huge = load("huge", hugeFolderFiles, 0);
        results.push_back({"Load 100,000 files of 1 KiB", huge[0], huge[1], cp, 1.0});
        std::printf("Timing removal of a folder of %d files ...\n", hugeFolderFiles);
        std::fflush(stdout);
        const std::vector<double> hugeRemoval = removeEvery("huge", hugeFolderFiles);
        results.push_back({"Remove 100,000 of 100,000", hugeRemoval[0], hugeRemoval[1],
                           "find -name 'f*' -delete", 1.0});
    }
    if (wanted(u"large"_s)) {
        std::printf("Timing Load of %d files of 1 GiB in all ...\n", largeFiles);
        std::fflush(stdout);
        const std::vector<double> large = load("large", largeFiles, 0);
        results.push_back({"Load 4 files of 256 MiB", large[0], large[1], cp, 1.05});
    }
    if (wanted(u"remove"_s)) {
        std::printf("Timing removal of %d of %d files ...\n", removedFiles, gameFiles);
        std::fflush(stdout);
        const std::vector<double> removal = remove();
        results.push_back({"Remove 5,000 of 50,000 files", removal[0], removal[2],
                           "rm -f name1 ... name5000", 1.2});
        results.push_back({"  the same, game files listed", removal[1], removal[2],
                           "(file list re-reads the game directory)", 1.2});
    }
    window_.reset();
    return results;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // A message box would wait for a click that never comes: close it, and stop the run.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shownMessage = box->text();
            box->done(QMessageBox::Ok);
        }
    });
    watch.start(100);

    QTemporaryDir root(QDir::tempPath() + u"/kestro-bench-XXXXXX"_s);
    if (!root.isValid()) {
        std::fprintf(stderr, "kestro_bench: cannot create a temporary folder\n");
        return 2;
    }
    std::vector<Result> results;
    try {
        results =
            Bench(fs::canonical(root.path().toStdString()).native(), app.arguments().mid(1)).run();
    } catch (const std::exception &error) {
        std::fprintf(stderr, "kestro_bench: %s\n", error.what());
        return 2;
    }

    std::printf("\n%-34s %9s %9s %6s %7s  %s\n", "Work (best of 3)", "Kestro s", "tool s", "ratio",
                "target", "tool");
    bool met = true;
    for (const Result &result : results) {
        const double ratio = result.kestro / result.tool;
        met = met && ratio <= result.target;
        std::printf("%-34s %9.3f %9.3f %6.2f %6.2fx  %s%s\n", result.work, result.kestro,
                    result.tool, ratio, result.target, result.toolName,
                    ratio <= result.target ? "" : "  (target missed)");
    }
    std::printf("%s\n", met ? "Every target met." : "A target was missed.");
    return 0;
}
