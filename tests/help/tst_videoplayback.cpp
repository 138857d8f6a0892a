#include <QApplication>
#include <QGraphicsView>
#include <QLabel>
#include <QTest>

#include "app/mediabackend.h"
#include "help/videowidget.h"

// The recorded help videos on the backend the program chooses: each one plays (its position
// moves) or says why in its place; never a frame that stands still without a word.
class TestVideoPlayback : public QObject
{
    Q_OBJECT

private slots:
    void playsOrSaysWhy_data()
    {
        QTest::addColumn<QString>("url");
        for (const char *page : {"calendar", "deviceinfo", "scenarioinfo"})
            QTest::newRow(page) << QStringLiteral("qrc:/helpinfo/%1/video1.mp4").arg(QLatin1String(page));
    }
    void playsOrSaysWhy()
    {
        QFETCH(QString, url);
        VideoWidget video(url, true, 800, 500);
        video.show();
        const auto settled = [&video] { return video.player()->position() > 0 || video.failureLabel()->isVisible(); };
        QTRY_VERIFY_WITH_TIMEOUT(settled(), VideoWidget::StallMs * 4);
        qInfo("%s: %s", qPrintable(url), video.failureLabel()->isVisible() ? "the note" : "plays");
        if (video.failureLabel()->isVisible())
            QVERIFY(!video.view()->isVisible());
    }
};

int main(int argc, char *argv[])
{
    preferFfmpegMediaBackend();
    QApplication app(argc, argv);
    TestVideoPlayback test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_videoplayback.moc"
