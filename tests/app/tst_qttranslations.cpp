#include <QCoreApplication>
#include <QTest>

#include "app/qttranslations.h"

// Qt's own texts speak the program's language.
class TestQtTranslations : public QObject
{
    Q_OBJECT

private slots:
    void qtTextsAreRussian_data()
    {
        QTest::addColumn<QByteArray>("context");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("russian");
        QTest::newRow("button") << QByteArray("QPlatformTheme") << QByteArray("Cancel") << QStringLiteral("Отмена");
        QTest::newRow("file dialog") << QByteArray("QFileDialog") << QByteArray("Look in:") << QStringLiteral("Перейти к:");
    }
    void qtTextsAreRussian()
    {
        QFETCH(QByteArray, context);
        QFETCH(QByteArray, text);
        QFETCH(QString, russian);
        static const bool installed = installQtTranslations(*QCoreApplication::instance());
        QVERIFY2(installed, "Qt's translations (qt6-translations-l10n) are missing");
        QCOMPARE(QCoreApplication::translate(context.constData(), text.constData()), russian);
    }
};

QTEST_GUILESS_MAIN(TestQtTranslations)
#include "tst_qttranslations.moc"
