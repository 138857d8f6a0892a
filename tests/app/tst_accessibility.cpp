#include <QAccessible>
#include <QApplication>
#include <QRegularExpression>

#include "demodialogs.h"
#include "uitexts.h"

using namespace Qt::StringLiterals;

// What assistive technologies read on each page of the demo: plain names (no markup), a name on
// every control that can be used, and Tab going through a page in reading order.
class TestAccessibility : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;
    DemoSession m_demo;

    static bool interactive(QAccessible::Role role)
    {
        switch (role) {
        case QAccessible::PushButton:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::ComboBox:
        case QAccessible::EditableText:
        case QAccessible::SpinBox:
        case QAccessible::Slider:
        case QAccessible::ButtonDropDown:
        case QAccessible::ButtonMenu:
        case QAccessible::PageTab:
        case QAccessible::Link:
            return true;
        default:
            return false;
        }
    }

    static QString describe(QAccessibleInterface *iface)
    {
        const QObject *o = iface->object();
        QString role = QString::fromLatin1(QAccessible::staticMetaObject.enumerator(QAccessible::staticMetaObject.indexOfEnumerator("Role"))
                                               .valueToKey(iface->role()));
        return o ? QStringLiteral("%1 %2").arg(role, uiWidgetName(o)) : role;
    }

    // The faults below iface; a table's cells are read for its first rows only.
    static void walk(QAccessibleInterface *iface, QStringList &faults)
    {
        if (!iface || iface->state().invisible)
            return;
        const QString name = iface->text(QAccessible::Name);
        const QString description = iface->text(QAccessible::Description);
        // tags, markdown headings and bold
        static const QRegularExpression markup(QStringLiteral("<[A-Za-z/!][^>]*>|(^|\\n)#{1,6}\\s|\\*\\*\\S"));
        if ((name + QLatin1Char('\n') + description).contains(markup))
            faults << QStringLiteral("%1: markup in \"%2\"").arg(describe(iface), (name + QLatin1Char(' ') + description).left(60));
        else if (interactive(iface->role()) && !iface->state().disabled && name.trimmed().isEmpty())
            faults << QStringLiteral("%1: no name").arg(describe(iface));
        const int children = qMin(iface->childCount(), 120);
        for (int i = 0; i < children; ++i)
            walk(iface->child(i), faults);
    }

    // The widgets Tab reaches, in order, from the first one of the page until it comes round again.
    static QStringList tabWalk(QWidget *window, QWidget *page)
    {
        QWidget *first = nullptr;
        for (QWidget *w = window->nextInFocusChain(); w != window && !first; w = w->nextInFocusChain()) {
            if (page->isAncestorOf(w) && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
                first = w;
        }
        if (!first)
            return {};
        first->setFocus(Qt::TabFocusReason);
        QStringList walked;
        QSet<QWidget *> seen;
        for (QWidget *now = window->focusWidget(); now && !seen.contains(now); now = window->focusWidget()) {
            seen.insert(now);
            walked << uiWidgetName(now);
            QTest::keyClick(now, Qt::Key_Tab);
        }
        return walked;
    }

private slots:
    void dialogNamesArePlainAndPresent_data()
    {
        QTest::addColumn<QString>("dialog");
        for (const QString &dialog : DemoDialogs::names())
            QTest::newRow(qPrintable(dialog)) << dialog;
    }
    void dialogNamesArePlainAndPresent()
    {
        QFETCH(QString, dialog);
        DemoWindow *d = m_demo.get(true);
        QVERIFY(d);
        QStringList faults;
        QVERIFY(DemoDialogs::open(d, dialog, [&faults](QDialog *shown) { walk(QAccessible::queryAccessibleInterface(shown), faults); }));
        faults.removeDuplicates();
        if (!faults.isEmpty())
            QFAIL(qPrintable(QStringLiteral("%1:\n  %2").arg(dialog, faults.join(QStringLiteral("\n  ")))));
    }

    // Tab goes through a page as it reads, top to bottom and each row left to right, then through
    // the navigation panel. (A group of exclusive tabs takes one stop: the arrows move inside it.)
    void tabFollowsReadingOrder_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("order");
        const QStringList panel = {u"deviceButton"_s, u"scenariosButton"_s, u"settingsButton"_s, u"workCycleSettingsButton"_s,
                                   u"closeAppButton"_s};
        QTest::newRow("signin") << u"signin"_s
                                << QStringList{u"loginPageButton"_s, u"loginEdit"_s, u"passwordEdit"_s, u"loginButton"_s, u"closeAppButton"_s};
        QStringList devices = {u"helpButton"_s, u"startStopButton"_s};
        for (int socket = 1; socket <= 4; ++socket)
            devices << u"powerButton"_s << u"settingsButton"_s;
        devices << u"powerButton"_s;  // the relay of the pump
        QTest::newRow("devices") << u"devices"_s << devices + panel;
        QTest::newRow("history") << u"history"_s
                                 << QStringList{u"tableButton"_s, u"chartButton"_s, u"helpButton"_s, u"updatebutt"_s, u"loadbutt"_s} + panel;
        QTest::newRow("workcycle") << u"workcycle"_s
                                   << QStringList{u"infoButton"_s, u"starttime"_s, u"lenday"_s, u"phaseena"_s, u"dayHoursEdit"_s,
                                                  u"nightHoursEdit"_s, u"selectall"_s, u"setsc"_s, u"createcomment"_s,
                                                  u"loadscenario"_s, u"uploadscenario"_s, u"snapshotsButton"_s, u"cancelButton"_s,
                                                  u"acceptButton"_s} + panel;
    }
    void tabFollowsReadingOrder()
    {
        QFETCH(QString, page);
        QFETCH(QStringList, order);
        DemoWindow *d = m_demo.get(page != QStringLiteral("signin"));
        QVERIFY(d);
        d->resize(QSize(1280, 800));
        QWidget *shown = d->open(page);
        QCOMPARE(tabWalk(d->f.window.get(), shown), order);
    }

    void initTestCase() { m_dir.reset(new TempWorkDir); }
    void cleanupTestCase()
    {
        m_demo.reset();
        m_dir.reset();
    }

    void namesArePlainAndPresent_data()
    {
        QTest::addColumn<QString>("page");
        for (const QString &page : DemoWindow::pages())
            QTest::newRow(qPrintable(page)) << page;
    }
    void namesArePlainAndPresent()
    {
        QFETCH(QString, page);
        DemoWindow *d = m_demo.get(page != QStringLiteral("signin"));
        QVERIFY(d);
        d->resize(QSize(1280, 800));
        d->open(page);
        QStringList faults;
        // the page with the navigation panel beside it
        walk(QAccessible::queryAccessibleInterface(d->f.window.get()), faults);
        faults.removeDuplicates();
        if (!faults.isEmpty())
            QFAIL(qPrintable(QStringLiteral("%1:\n  %2").arg(page, faults.join(QStringLiteral("\n  ")))));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
