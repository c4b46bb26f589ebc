// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/dirlistbox.h"

#include "core/directory.h"
#include "core/platform.h"
#include "widgets/entrymodel.h"

#include <QStyle>

// The directory and each directory above it, from the root down.
static std::vector<std::string> ancestorsOf(const std::string &directory)
{
    const std::size_t root = platform::rootLength(directory);
    std::string path = directory;
    while (path.size() > root && path.back() == platform::separator) {
        path.pop_back();
    }
    std::vector<std::string> paths{path.substr(0, root)};
    for (std::size_t end = path.find(platform::separator, root); end != std::string::npos;
         end = path.find(platform::separator, end + 1)) {
        paths.push_back(path.substr(0, end));
    }
    if (path.size() > root) {
        paths.push_back(path);
    }
    return paths;
}

// What a row shows: the directory's own name, or the whole root.
static std::string lastName(const std::string &path)
{
    const std::size_t slash = path.rfind(platform::separator);
    return path.size() <= platform::rootLength(path) || slash == std::string::npos
               ? path
               : path.substr(slash + 1);
}

DirListBox::DirListBox(QWidget *parent) : ListView(parent)
{
    std::string current;
    (void)platform::currentDirectory(current);
    (void)setPath(current);
    connect(this, &ListView::rowChosen, this, &DirListBox::clicked);
    connect(this, &ListView::rowOpened, this, &DirListBox::open);
}

Outcome DirListBox::setPath(const std::string &directory)
{
    std::vector<std::string> subdirectories;
    if (Outcome failed = listSubdirectories(directory, subdirectories)) {
        return failed;
    }
    ancestors_ = ancestorsOf(directory);
    path_ = ancestors_.back();
    subdirectories_ = std::move(subdirectories);

    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    QList<EntryModel::Row> rows;
    rows.reserve(qsizetype(ancestors_.size() + subdirectories_.size()));
    int depth = 0;
    for (const std::string &ancestor : ancestors_) {
        rows.append({lastName(ancestor), open, depth++});
    }
    for (const std::string &name : subdirectories_) {
        rows.append({name, closed, depth});
    }
    entries()->setRows(std::move(rows));
    selectRow(int(ancestors_.size()) - 1);
    return {};
}

std::string DirListBox::entry(int index) const
{
    if (index >= 0 && std::size_t(index) < subdirectories_.size()) {
        // A directory's path has one separator, even at the root.
        const std::string &name = subdirectories_[std::size_t(index)];
        return path_.ends_with(platform::separator) ? path_ + name : platform::join(path_, name);
    }
    if (index < 0 && std::size_t(-index) <= ancestors_.size()) {
        return ancestors_[ancestors_.size() - std::size_t(-index)];
    }
    return {};
}

int DirListBox::selectedIndex() const
{
    return selectedRow() - int(ancestors_.size());
}

void DirListBox::open(int row)
{
    const std::string directory = entry(row - int(ancestors_.size()));
    if (directory.empty()) {
        return;
    }
    // A directory that cannot be read leaves the list where it was.
    if (Outcome failed = setPath(directory)) {
        Q_EMIT openFailed(*failed);
    }
}
