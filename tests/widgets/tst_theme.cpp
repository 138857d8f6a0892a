#include <QLineEdit>
#include <QTest>

#include "cycle/calendartext.h"
#include "signin/regform.h"
#include "widgets/theme.h"

// The theme's text reads on its backgrounds: the contrast ratio of every pair that carries text
// reaches the accessibility guidelines' 4.5:1.
class TestTheme : public QObject
{
    Q_OBJECT

private slots:
    // the measure itself, on values the guidelines give
    void contrastRatio_data()
    {
        QTest::addColumn<QColor>("a");
        QTest::addColumn<QColor>("b");
        QTest::addColumn<double>("ratio");
        QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
        QTest::newRow("same colour") << QColor(0x80, 0x80, 0x80) << QColor(0x80, 0x80, 0x80) << 1.0;
        QTest::newRow("order does not matter") << QColor(Qt::white) << QColor(0x76, 0x76, 0x76) << 4.54;
        QTest::newRow("pure red on white") << QColor(Qt::red) << QColor(Qt::white) << 4.0;
    }
    void contrastRatio()
    {
        QFETCH(QColor, a);
        QFETCH(QColor, b);
        QFETCH(double, ratio);
        QVERIFY2(qAbs(Theme::contrast(a, b) - ratio) < 0.01, qPrintable(QString::number(Theme::contrast(a, b))));
    }

    void textReads_data()
    {
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("background");
        using namespace Theme;
        QTest::newRow("placeholder in a light field") << PlaceholderText << LightField;
        QTest::newRow("typed text in a light field") << DarkText << LightField;
        QTest::newRow("sign-in notes on the form") << MutedText << CardBackground;
        QTest::newRow("sign-in hint") << Attention << CardBackground;
        QTest::newRow("sign-in button") << OnBrand << Brand;
        QTest::newRow("text on a page") << Text << PageBackground;
        QTest::newRow("captions on a page") << MutedText << PageBackground;
        QTest::newRow("text on a card") << Text << CardBackground;
        QTest::newRow("pop-up list and menu") << Text << CardBackground;
        QTest::newRow("chosen pop-up entry") << Text << composite(withAlpha(Brand, 90), CardBackground);
        QTest::newRow("chosen snapshot row") << Text << composite(withAlpha(Brand, 90), PageBackground);
        QTest::newRow("hovered button") << Text << composite(withAlpha(Brand, 60), CardBackground);
        QTest::newRow("legend dates") << MutedText << PageBackground;
        QTest::newRow("unsaved mark") << Attention << PageBackground;
        QTest::newRow("blue buttons") << OnColourLight << Action;
        // the calendar's cards: the number and the date line share the card's text colour
        QTest::newRow("plain card") << textOn(CalendarText::colourLook(0).background)
                                    << composite(CalendarText::colourLook(0).background, PageBackground);
        QTest::newRow("selected card") << textOn(CalendarText::selectedLook().background)
                                       << composite(CalendarText::selectedLook().background, PageBackground);
        for (int n = 1; n <= ScenarioColourCount; ++n) {
            const QColor card = CalendarText::colourLook(n).background;
            QTest::newRow(qPrintable(QStringLiteral("card colour %1 (%2)").arg(n).arg(card.name())))
                << textOn(card) << composite(card, PageBackground);
        }
    }
    void textReads()
    {
        QFETCH(QColor, text);
        QFETCH(QColor, background);
        const double ratio = Theme::contrast(text, background);
        QVERIFY2(ratio >= Theme::MinContrast,
                 qPrintable(QStringLiteral("%1 on %2: %3").arg(text.name(), background.name()).arg(ratio, 0, 'f', 2)));
    }

    // The sign-in form's placeholders are drawn in the theme's colour, not in a faded copy of the
    // edit's text colour, whatever the edit shows.
    void signInPlaceholders()
    {
        regform form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (const char *name : {"loginEdit", "passwordEdit", "passwordCreateEdit"}) {
            auto *edit = form.findChild<QLineEdit *>(QString::fromLatin1(name));
            QVERIFY(edit);
            QVERIFY(!edit->placeholderText().isEmpty());
            QCOMPARE(edit->palette().color(QPalette::PlaceholderText), Theme::PlaceholderText);
        }
        form.setFormMode(regform::SignIn, QStringLiteral("grower"), QString());
        auto *password = form.findChild<QLineEdit *>(QStringLiteral("passwordEdit"));
        QCOMPARE(password->palette().color(QPalette::PlaceholderText), Theme::PlaceholderText);
        QCOMPARE(form.findChild<QLineEdit *>(QStringLiteral("loginEdit"))->palette().color(QPalette::Text), Theme::DarkText);
    }
};

QTEST_MAIN(TestTheme)
#include "tst_theme.moc"
