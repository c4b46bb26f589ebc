// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form1.h"
#include "core/platform.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdlib>

int main(int argc, char *argv[])
{
    platform::failWritesPastSizeLimit();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestro"));
    QApplication::setApplicationVersion(QStringLiteral(KESTRO_VERSION));

    // Only --help and --version: the window itself takes nothing from the command line.
    QCommandLineParser parser;
    parser.setApplicationDescription(QApplication::translate(
        "main", "Installs and uninstalls add-on folders for the game EAW.\n\n"
                "Kestro works in the directory it is started from: keep your add-on folders, the "
                "picture \"Kestro\" and the list \"FoldersLoaded.txt\" there, and start Kestro "
                "from that directory."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);

    Form1 window;
    if (window.refused()) {
        return EXIT_FAILURE;
    }
    window.show();
    return QApplication::exec();
}
