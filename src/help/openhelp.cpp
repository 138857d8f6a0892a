#include "help/openhelp.h"

#include "help/infoclass.h"

#include <QApplication>
#include <QGraphicsBlurEffect>
#include <QWidget>

infoclass *openHelp(QWidget *from, int page)
{
    QWidget *main = nullptr;
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget *w : tops) {
        if (qstrcmp(w->metaObject()->className(), "MainWindow") == 0) {
            main = w;
            break;
        }
    }
    QWidget *over = main ? main : (from ? from->window() : nullptr);
    const QSize size = over ? over->size() : QSize(1200, 800);
    const int width = size.width() - 100;
    const int height = size.height() - 70;

    auto *dialog = new infoclass(page, width, height, over);
    dialog->setGeometry(0, 0, width, height);
    if (over) {
        const QPoint centre = over->mapToGlobal(over->rect().center());
        dialog->move(centre - QPoint(width / 2, height / 2));
    }
    if (main) {
        auto *blur = new QGraphicsBlurEffect(main);
        blur->setBlurRadius(6);
        main->setGraphicsEffect(blur);
    }
    dialog->show();
    return dialog;
}
