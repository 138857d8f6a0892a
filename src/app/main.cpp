#include "app/mainwindow.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QFontDatabase::addApplicationFont(QStringLiteral(":/pict/IBMPlexMono-Thin.ttf"));
    QFontDatabase::addApplicationFont(QStringLiteral(":/pict/IBMPlexMono-Medium.ttf"));

    MainWindow window(nullptr);
    window.setWindowIcon(QIcon(QStringLiteral(":/pict/progicon.png")));
    window.show();
    return app.exec();
}
