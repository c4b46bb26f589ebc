#include "app/form1.h"

#include <QApplication>

#include <csignal>

int main(int argc, char *argv[])
{
    // A file-size limit makes a write fail instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestro"));
    Form1 window;
    window.show();
    return QApplication::exec();
}
