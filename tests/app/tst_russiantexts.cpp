#include <QApplication>
#include <QFileDialog>
#include <QRegularExpression>

#include "app/closequestion.h"
#include "app/qttranslations.h"
#include "cycle/planchangequestion.h"
#include "demowindow.h"
#include "devices/powersocketelement.h"
#include "devices/sensorelement.h"
#include "help/infoclass.h"
#include "help/openhelp.h"
#include "uitexts.h"
#include "widgets/dialogs.h"

// Every text of the program speaks Russian: the pages, signed in to the demo controller and not,
// and every dialog they open. Latin script is kept only for names, units and "CSV" / "ID".
class TestRussianTexts : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempWorkDir> m_dir;
    DemoSession m_demo;

    // Words of Latin script that are not names, units or the file format.
    static QStringList latinWords(QString text)
    {
        // addresses, paths, file patterns, hardware addresses and key combinations are names
        static const QRegularExpression names(QStringLiteral(
            "\\S+@\\S+|https?://\\S+|(^|\\s)[/~]\\S*|\\*\\.\\w+|([0-9A-Fa-f]{2}:){2,}[0-9A-Fa-f]{2}|(Ctrl|Shift|Alt)\\+\\S+"));
        static const QRegularExpression word(QStringLiteral("[A-Za-z0-9][A-Za-z0-9-]*"));
        static const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
        static const QRegularExpression digit(QStringLiteral("[0-9]"));
        static const QStringList kept = {
            // the program, the radio standard
            QStringLiteral("Vireosant"), QStringLiteral("Bluetooth"),
            // the file format and the controller's identity
            QStringLiteral("CSV"), QStringLiteral("ID"),
            // units
            QStringLiteral("pH"), QStringLiteral("ppm"),
            // markings on the hardware: connector pins, the switches' captions, keys
            QStringLiteral("VCC"), QStringLiteral("GND"), QStringLiteral("ON"), QStringLiteral("OFF"), QStringLiteral("Ctrl"),
            QStringLiteral("Enter"),
            // the working folders, named on disk as they are named in the help
            QStringLiteral("scenarios"), QStringLiteral("logins"), QStringLiteral("comments"), QStringLiteral("gencomments"),
            QStringLiteral("snapshots")};
        text.remove(names);
        QStringList found;
        for (const QRegularExpressionMatch &m : word.globalMatch(text)) {
            const QString w = m.captured();
            // single letters are units (V, C) and model numbers hold digits (AM2301A, 1-Wire)
            if (w.size() < 2 || !w.contains(latin) || w.contains(digit) || kept.contains(w)
                || w.compare(QStringLiteral("csv"), Qt::CaseInsensitive) == 0)
                continue;
            found << w;
        }
        return found;
    }

    // Texts of the next modal dialog the program runs (it is answered with result at once).
    static std::shared_ptr<QList<UiText>> captureNextDialog(int result = QDialog::Rejected)
    {
        auto texts = std::make_shared<QList<UiText>>();
        Dialogs::scriptExecResult(result, [texts](QDialog *dialog) { *texts = uiTexts(dialog); });
        return texts;
    }

    QList<UiText> textsOf(const QString &view)
    {
        DemoWindow *d = m_demo.get(view != QStringLiteral("signin"));
        if (!d)
            return {{QStringLiteral("fixture"), QStringLiteral("the demo window did not start")}};
        MainWindow *window = d->f.window.get();
        std::shared_ptr<QList<UiText>> captured;
        if (view == QStringLiteral("signin") || view == QStringLiteral("pages")) {
            // every page is in the window, shown or not
            return uiTexts(window);
        }
        if (view == QStringLiteral("period")) {
            auto *page = static_cast<SettingsForm *>(d->open(QStringLiteral("history")));
            QTest::mouseClick(page->updatebutt, Qt::LeftButton);
            logicsavedialog *dialog = page->periodDialog();
            if (!dialog)
                return {{QStringLiteral("period"), QStringLiteral("no dialog")}};
            // The frameless period dialog never shows its title, and its title "Dialog" is what
            // the history page's tests know it by: it is left out here.
            const QString title = dialog->windowTitle();
            dialog->setWindowTitle(QString());
            QList<UiText> texts = uiTexts(dialog);
            dialog->setWindowTitle(title);
            QTest::mouseClick(dialog->cancel, Qt::LeftButton);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return texts;
        }
        if (view == QStringLiteral("comment")) {
            captured = captureNextDialog();
            static_cast<WorkCycleSettingsForm *>(d->open(QStringLiteral("workcycle")))->openComment();
        } else if (view == QStringLiteral("snapshots")) {
            captured = captureNextDialog();
            window->openSnapshotList();
        } else if (view == QStringLiteral("plan change")) {
            captured = captureNextDialog();
            PlanChangeQuestion::confirmScenarioFile(window, exchange().lastImage, DemoSeed::imageBody());
        } else if (view == QStringLiteral("closing")) {
            captured = captureNextDialog();
            CloseQuestion::askWhileWriting(window);
            const std::shared_ptr<QList<UiText>> second = captureNextDialog();
            CloseQuestion::tellUnwritten(window);
            captured->append(*second);
        } else if (view == QStringLiteral("socket settings")) {
            captured = captureNextDialog();
            window->devicesForm()->socketTile(1)->openPowerSocketSettings();
        } else if (view == QStringLiteral("sensor settings")) {
            captured = captureNextDialog();
            window->devicesForm()->sensorTile(1)->openSensorSettings();
        } else if (view.startsWith(QStringLiteral("help "))) {
            infoclass *help = openHelp(window, view.section(QLatin1Char(' '), 1).toInt());
            const QList<UiText> texts = uiTexts(help);
            help->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return texts;
        } else if (view == QStringLiteral("file dialog")) {
            // Qt's own dialog, as the file questions show it where no native one is offered
            QFileDialog dialog(window, QStringLiteral("Выгрузка в CSV"), QDir::currentPath(), QStringLiteral("Таблица CSV (*.csv)"));
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            // the files listed (names, types, dates) are the computer's, in its own language
            QList<UiText> texts = uiTexts(&dialog);
            texts.removeIf([](const UiText &t) { return t.where.contains(QStringLiteral(" cell")); });
            return texts;
        } else if (view == QStringLiteral("edit menu")) {
            // the context menu of every text field comes from Qt
            std::unique_ptr<QMenu> menu(window->regForm()->findChild<QLineEdit *>()->createStandardContextMenu());
            return uiTexts(menu.get());
        }
        // an answer the program did not take is not left for the next case
        Dialogs::clearScript();
        return captured && !captured->isEmpty() ? *captured : QList<UiText>{{view, QStringLiteral("not opened")}};
    }

private slots:
    void initTestCase()
    {
        m_dir.reset(new TempWorkDir);
        // as the program does at its start
        QVERIFY2(installQtTranslations(*qApp), "Qt's translations (qt6-translations-l10n) are missing");
    }
    void cleanupTestCase()
    {
        Dialogs::clearScript();
        m_demo.reset();
        m_dir.reset();
    }

    void textsAreRussian_data()
    {
        QTest::addColumn<QString>("view");
        for (const char *view : {"signin", "pages", "period", "comment", "snapshots", "plan change", "closing", "socket settings",
                                 "sensor settings", "help 0", "help 1", "help 2", "help 3", "file dialog", "edit menu"})
            QTest::newRow(view) << QString::fromLatin1(view);
    }
    void textsAreRussian()
    {
        QFETCH(QString, view);
        const QList<UiText> texts = textsOf(view);
        QVERIFY(!texts.isEmpty());
        QStringList faults;
        for (const UiText &t : texts) {
            const QStringList words = latinWords(t.text);
            if (!words.isEmpty())
                faults << QStringLiteral("%1: \"%2\" (%3)").arg(t.where, t.text.left(80), words.join(QStringLiteral(", ")));
        }
        faults.removeDuplicates();
        if (!faults.isEmpty())
            QFAIL(qPrintable(QStringLiteral("%1:\n  %2").arg(view, faults.join(QStringLiteral("\n  ")))));
    }
};

QTEST_MAIN(TestRussianTexts)
#include "tst_russiantexts.moc"
