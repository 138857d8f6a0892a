#pragma once

#include <QAbstractItemModel>
#include <QDir>
#include <QHash>
#include <QImage>
#include <QTableView>
#include <QTest>

#include "app/demoseed.h"
#include "cycle/workcyclesettingsform.h"
#include "devices/devicesform.h"
#include "e2efixture.h"
#include "history/logicsavedialog.h"
#include "history/settingsform.h"
#include "model/files/workfolders.h"
#include "scenario/scenarioform.h"
#include "widgets/leftmenupanel.h"

// The program as a new user first sees it: the demo controller (its plan and two weeks of log)
// on the simulated link, the window shown at a chosen size. Signed in, the history page holds the
// log read for the whole cycle.
struct DemoWindow
{
    E2EFixture f;
    SimulatedController *controller = nullptr;

    // The names pages() and open() know.
    static QStringList pages() { return {QStringLiteral("signin"), QStringLiteral("devices"), QStringLiteral("scenario"), QStringLiteral("history"), QStringLiteral("workcycle")}; }
    static QStringList workPages() { return pages().mid(1); }

    // What went wrong on the way; empty once the window is where it was asked to be.
    QString start(bool signedIn)
    {
        historyPeriod().reset();
        // no saved state: the demo starts afresh, as on its first run
        DemoSeed::prepare(*f.transport, QDir::current().filePath(QStringLiteral("no-demo-state")));
        if (f.transport->controllers().size() != 1)
            return QStringLiteral("no demo controller");
        controller = f.transport->controllers().constFirst();
        createSimAccount(controller, "grower", "green42");
        f.window->show();
        if (!f.discover())
            return QStringLiteral("the demo controller was not found");
        if (!signedIn)
            return QString();
        if (!f.signIn(QStringLiteral("grower"), QStringLiteral("green42")) || !f.reachIdle())
            return QStringLiteral("sign-in failed");
        auto *history = static_cast<SettingsForm *>(open(QStringLiteral("history")));
        QTest::mouseClick(history->updatebutt, Qt::LeftButton);
        if (!history->periodDialog())
            return QStringLiteral("no period dialog");
        QTest::mouseClick(history->periodDialog()->save, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!f.tickUntil([history] { return history->logtd->model()->rowCount() > 0; }, 400))
            return QStringLiteral("the log was not read");
        return QString();
    }

    void resize(const QSize &size)
    {
        f.window->resize(size);
        settle();
    }

    // Lays out and paints what changed (a few ticks keep the link alive meanwhile).
    void settle()
    {
        f.tick(2);
        drainEvents(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        drainEvents(0);
    }

    // Opens a page as the user would, through the navigation panel; returns it.
    QWidget *open(const QString &page)
    {
        static const QMap<QString, const char *> buttons = {{QStringLiteral("devices"), "deviceButton"},
                                                            {QStringLiteral("scenario"), "scenariosButton"},
                                                            {QStringLiteral("history"), "settingsButton"},
                                                            {QStringLiteral("workcycle"), "workCycleSettingsButton"}};
        if (page == QStringLiteral("signin")) {
            settle();
            return f.window->regForm();
        }
        // the scenario editor hides the navigation until it is left through its own buttons
        if (f.window->currentPage() == f.window->scenarioForm() && page != QStringLiteral("scenario")) {
            f.window->scenarioForm()->findChild<QPushButton *>(QStringLiteral("cancelButton"))->click();
            f.tick(2);
        }
        auto *b = f.window->leftMenu()->findChild<QPushButton *>(QString::fromLatin1(buttons.value(page)));
        if (b)
            b->click();
        // a page may greet with a short note ("Загрузка сценария") over the blurred window
        f.tickUntil([] { return !currentNote(); }, 20);
        closeNote();
        settle();
        return f.window->currentPage();
    }

    // The window as a picture with few colours: small enough for the documentation.
    bool grab(const QString &file)
    {
        settle();
        const QImage image = f.window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        // the 48 most frequent colours, each pixel the nearest of them without dithering
        QHash<QRgb, int> counts;
        for (int y = 0; y < image.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                ++counts[line[x]];
        }
        QList<QPair<int, QRgb>> byCount;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            byCount.append({it.value(), it.key()});
        std::sort(byCount.begin(), byCount.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
        QList<QRgb> palette;
        for (int i = 0; i < byCount.size() && i < 48; ++i)
            palette.append(byCount.at(i).second);
        return image.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither | Qt::AvoidDither).save(file, "PNG", 0);
    }
};

// One demo window kept over the cases of a test, made again only when a case wants the other
// state (signed in or not).
class DemoSession
{
public:
    DemoWindow *get(bool signedIn)
    {
        if (m_window && m_signedIn == signedIn)
            return m_window.get();
        m_window.reset();
        m_window.reset(new DemoWindow);
        m_signedIn = signedIn;
        const QString failure = m_window->start(signedIn);
        if (!failure.isEmpty()) {
            qWarning("%s", qPrintable(failure));
            m_window.reset();
        }
        return m_window.get();
    }
    void reset() { m_window.reset(); }

private:
    std::unique_ptr<DemoWindow> m_window;
    bool m_signedIn = false;
};
