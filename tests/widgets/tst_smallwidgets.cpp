#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QTextEdit>

#include "widgets/myheaderview.h"
#include "widgets/nameitrm.h"

class TestSmallWidgets : public QObject
{
    Q_OBJECT
private slots:
    void nameRowKinds_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("removable");
        QTest::addColumn<bool>("shortText");
        QTest::newRow("0") << 0 << QString() << false << false;
        QTest::newRow("sensor") << 1 << QStringLiteral("ДАТЧИК") << true << false;
        QTest::newRow("timer") << 2 << QStringLiteral("ТАЙМЕР") << true << true;
        QTest::newRow("other") << 7 << QString() << true << false;
    }
    void nameRowKinds()
    {
        QFETCH(int, kind);
        QFETCH(QString, caption);
        QFETCH(bool, removable);
        QFETCH(bool, shortText);
        nameitrm row(kind);
        QCOMPARE(row.caption()->text(), caption);
        QCOMPARE(row.removeButton()->isEnabled(), removable);
        QCOMPARE(row.textArea()->maximumHeight() == 42, shortText);
        QSignalSpy spy(&row, &nameitrm::removeItem);
        row.removeButton()->click();
        QCOMPARE(spy.count(), removable ? 1 : 0);
    }

    void headerFitsWrappedCaption()
    {
        QStandardItemModel model(1, 2);
        model.setHeaderData(0, Qt::Horizontal, QStringLiteral("Короткий"));
        model.setHeaderData(1, Qt::Horizontal,
                            QStringLiteral("Очень длинный заголовок столбца, который переносится на несколько строк"));
        MyHeaderView header(Qt::Horizontal);
        header.setModel(&model);
        header.resizeSection(0, 80);
        header.resizeSection(1, 80);
        header.setDefaultAlignment(Qt::Alignment(int(Qt::AlignCenter) | int(Qt::TextWordWrap)));
        const QFontMetrics metrics(header.font());
        // a wrapped caption is several lines high, plus the 30 px margin
        const QSize longSize = static_cast<QHeaderView &>(header).sizeHint();
        QVERIFY(longSize.height() >= 3 * metrics.height() + 30);
    }
};

QTEST_MAIN(TestSmallWidgets)
#include "tst_smallwidgets.moc"
