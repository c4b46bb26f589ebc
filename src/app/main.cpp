#include "app/form1.h"
#include "core/platform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    platform::failWritesPastSizeLimit();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestro"));
    Form1 window;
    window.show();
    return QApplication::exec();
}
