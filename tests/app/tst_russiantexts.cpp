#include <QApplication>
#include <QFileDialog>
#include <QRegularExpression>

#include "app/qttranslations.h"
#include "demodialogs.h"
#include "uitexts.h"

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

    QList<UiText> textsOf(const QString &view)
    {
        DemoWindow *d = m_demo.get(view != QStringLiteral("signin"));
        if (!d)
            return {{QStringLiteral("fixture"), QStringLiteral("the demo window did not start")}};
        MainWindow *window = d->f.window.get();
        if (view == QStringLiteral("signin") || view == QStringLiteral("pages")) {
            // every page is in the window, shown or not
            return uiTexts(window);
        }
        if (view == QStringLiteral("file dialog")) {
            // Qt's own dialog, as the file questions show it where no native one is offered
            QFileDialog dialog(window, QStringLiteral("Выгрузка в CSV"), QDir::currentPath(), QStringLiteral("Таблица CSV (*.csv)"));
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            // the files listed (names, types, dates) are the computer's, in its own language
            QList<UiText> texts = uiTexts(&dialog);
            texts.removeIf([](const UiText &t) { return t.where.contains(QStringLiteral(" cell")); });
            return texts;
        }
        if (view == QStringLiteral("edit menu")) {
            // the context menu of every text field comes from Qt
            std::unique_ptr<QMenu> menu(window->regForm()->findChild<QLineEdit *>()->createStandardContextMenu());
            return uiTexts(menu.get());
        }
        QList<UiText> texts;
        const bool opened = DemoDialogs::open(d, view, [&texts, view](QDialog *dialog) {
            // The frameless period dialog never shows its title, and its title "Dialog" is what
            // the history page's tests know it by: it is left out here.
            const bool period = view == QStringLiteral("period");
            const QString title = dialog->windowTitle();
            if (period)
                dialog->setWindowTitle(QString());
            texts += uiTexts(dialog);
            if (period)
                dialog->setWindowTitle(title);
        });
        if (!opened)
            return {{view, QStringLiteral("not opened")}};
        return texts;
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
        const QStringList views = QStringList{QStringLiteral("signin"), QStringLiteral("pages")} + DemoDialogs::names()
            + QStringList{QStringLiteral("file dialog"), QStringLiteral("edit menu")};
        for (const QString &view : views)
            QTest::newRow(qPrintable(view)) << view;
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
