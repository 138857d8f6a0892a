// Grabs the program's pages and dialogs to PNG files, signed in to the demo controller, at the
// window sizes given (default 1024x768 and 1920x1080), for a person to look at. Not a test.
//
//   QT_QPA_PLATFORM=offscreen build/tests/grabpages [folder] [WIDTHxHEIGHT ...]

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>

#include "app/demoseed.h"
#include "cycle/comment.h"
#include "cycle/planchangequestion.h"
#include "cycle/workcyclesettingsform.h"
#include "e2efixture.h"
#include "scenario/scenarioform.h"
#include "scenario/scenariotimetablewidget.h"
#include "widgets/dialogs.h"
#include "widgets/leftmenupanel.h"

namespace {

QString g_folder;
QSize g_size;

void save(const QImage &image, const QString &name)
{
    const QString path = QDir(g_folder).filePath(QStringLiteral("%1-%2x%3.png").arg(name).arg(g_size.width()).arg(g_size.height()));
    image.save(path);
    qInfo("%s", qPrintable(path));
}

// The window with a dialog (or pop-up) drawn over it where it would open.
QImage over(QWidget *window, QWidget *top, QPoint at = QPoint(-1, -1))
{
    QImage image = window->grab().toImage();
    QPainter painter(&image);
    const QPixmap shot = top->grab();
    if (at.x() < 0)
        at = QPoint((image.width() - shot.width()) / 2, (image.height() - shot.height()) / 2);
    painter.drawPixmap(at, shot);
    return image;
}

void open(E2EFixture &f, const char *button)
{
    f.window->leftMenu()->findChild<QPushButton *>(QString::fromLatin1(button))->click();
    f.tick(10);
}

void grabAll(const QSize &size)
{
    g_size = size;
    E2EFixture f(QDateTime::currentDateTime());
    f.window->resize(size);
    f.window->show();
    SimulatedController *c = f.addController();
    createSimAccount(c, "grower", "green42");
    c->installImage(DemoSeed::imageBody());
    f.discover();
    f.edit("loginEdit")->clear();
    f.edit("passwordEdit")->clear();
    f.tick(2);
    save(f.window->grab().toImage(), QStringLiteral("signin"));
    if (!f.signIn(QStringLiteral("grower"), QStringLiteral("green42")) || !f.reachIdle()) {
        qWarning("could not sign in");
        return;
    }
    f.tick(20);
    closeNote();
    save(f.window->grab().toImage(), QStringLiteral("devices"));

    open(f, "workCycleSettingsButton");
    WorkCycleSettingsForm *cycle = f.window->workCycleForm();
    save(f.window->grab().toImage(), QStringLiteral("calendar"));
    auto *count = cycle->findChild<QLineEdit *>(QStringLiteral("lenday"));
    count->selectAll();
    QTest::keyClicks(count, QString::number(controllerState().cycleCount + 2));
    save(f.window->grab().toImage(), QStringLiteral("calendar-unsaved"));
    cycle->findChild<QPushButton *>(QStringLiteral("cancelButton"))->click();

    {
        comment dialog(cycle, 2);
        dialog.resize(520, 380);
        dialog.show();
        save(over(f.window.get(), &dialog), QStringLiteral("comment"));
    }
    Dialogs::scriptExecResult(0, [&f](QDialog *list) {
        list->resize(900, 520);
        list->show();
        if (auto *table = list->findChild<QTableWidget *>())
            table->selectRow(0);
        save(over(f.window.get(), list), QStringLiteral("snapshots"));
        Dialogs::scriptExecResult(0, [&f, list](QDialog *question) {
            question->resize(620, 420);
            question->show();
            QImage image = over(f.window.get(), list);
            QPainter painter(&image);
            const QPixmap shot = question->grab();
            painter.drawPixmap((image.width() - shot.width()) / 2, (image.height() - shot.height()) / 2, shot);
            save(image, QStringLiteral("restore-question"));
        });
        QByteArray changed = DemoSeed::imageBody();
        PlanChangeQuestion::confirmRestore(list, QByteArray(), changed, QDateTime::currentDateTime());
    });
    f.window->openSnapshotList();
    Dialogs::clearScript();

    open(f, "scenariosButton");
    ScenarioForm *scenario = f.window->scenarioForm();
    save(f.window->grab().toImage(), QStringLiteral("scenario"));
    auto *add = scenario->findChild<QPushButton *>(QStringLiteral("powerSocketAddButton"));
    if (add && add->menu()) {
        QMenu *menu = add->menu();
        menu->popup(add->mapToGlobal(QPoint(0, add->height())));
        f.tick(2);
        save(over(f.window.get(), menu, add->mapTo(f.window.get(), QPoint(0, add->height()))), QStringLiteral("scenario-menu"));
        menu->hide();
    }
    const QList<QComboBox *> combos = scenario->findChildren<QComboBox *>();
    for (QComboBox *combo : combos) {
        if (!combo->isVisible())
            continue;
        combo->showPopup();
        f.tick(2);
        QWidget *popup = combo->view()->window();
        popup->ensurePolished();
        save(popup->grab().toImage(), QStringLiteral("scenario-combo-popup"));
        save(over(f.window.get(), popup, combo->mapTo(f.window.get(), QPoint(0, combo->height()))), QStringLiteral("scenario-combo"));
        combo->hidePopup();
        break;
    }

    open(f, "settingsButton");
    save(f.window->grab().toImage(), QStringLiteral("history"));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    g_folder = QDir(args.value(0, QStringLiteral("grabs"))).absolutePath();
    QDir().mkpath(g_folder);
    TempWorkDir dir;
    QList<QSize> sizes;
    for (const QString &arg : args.mid(1)) {
        const QStringList wh = arg.split(QLatin1Char('x'));
        if (wh.size() == 2)
            sizes << QSize(wh.at(0).toInt(), wh.at(1).toInt());
    }
    if (sizes.isEmpty())
        sizes = {QSize(1024, 768), QSize(1920, 1080)};
    for (const QSize &size : sizes)
        grabAll(size);
    return 0;
}
