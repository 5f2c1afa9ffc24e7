#include "ui/FrmMain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("torvane-workbench"));
    FrmMain window;
    window.show();
    return QApplication::exec();
}
