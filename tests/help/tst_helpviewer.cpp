#include <QGraphicsBlurEffect>
#include <QGraphicsView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "devices/devicesform.h"
#include "help/helppages.h"
#include "help/infoclass.h"
#include "help/openhelp.h"
#include "help/videowidget.h"
#include "windowfixture.h"

using namespace Qt::StringLiterals;

namespace {

// Kinds of the content items in order: 0 text, 1 video, 2 picture.
QList<int> shownKinds(const infoclass *dialog)
{
    QList<int> kinds;
    QLayout *layout = dialog->scrollAreaWidgetContents->layout();
    for (int i = 0; i < layout->count(); ++i) {
        QWidget *w = layout->itemAt(i)->widget();
        if (!w)
            continue;  // the stretch after a video
        if (qobject_cast<VideoWidget *>(w))
            kinds << HelpPages::Video;
        else if (auto *label = qobject_cast<QLabel *>(w))
            kinds << (label->pixmap().isNull() ? HelpPages::Text : HelpPages::Picture);
    }
    return kinds;
}

void pressAt(QWidget *widget, QPoint pos)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, pos);
}

} // namespace

// The help dialog of each page, its videos, and how it closes.
class TestHelpViewer : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        if (lastHelpDialog)
            delete lastHelpDialog;
        QCOMPARE(openHelpDialogs, 0);
    }

    void pagesShowTheirItems_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QList<int>>("kinds");
        QTest::newRow("work cycle") << 0 << u"НАСТРОЙКА ГРАФИКА РАБОТЫ"_s << QList<int>{1, 0};
        QTest::newRow("devices") << 1 << u"НАСТРОЙКА УСТРОЙСТВ"_s << QList<int>{1, 0, 2, 0};
        QTest::newRow("scenario") << 2 << u"НАСТРОЙКА СЦЕНАРИЯ"_s << QList<int>{1, 0, 1, 0};
        QTest::newRow("history") << 3 << u"ИСТОРИЯ СОБЫТИЙ"_s << QList<int>{0};
        QTest::newRow("unknown page") << 4 << QString() << QList<int>{};
        QTest::newRow("negative page") << -1 << QString() << QList<int>{};
    }
    void pagesShowTheirItems()
    {
        QFETCH(int, page);
        QFETCH(QString, title);
        QFETCH(QList<int>, kinds);
        auto *dialog = new infoclass(page, 1000, 700);
        QCOMPARE(dialog->header->text(), title);
        QCOMPARE(shownKinds(dialog), kinds);
        QCOMPARE(dialog->scrollArea->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        // every text is there and the picture loaded
        for (QLabel *label : dialog->scrollAreaWidgetContents->findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
            QVERIFY2(!label->text().isEmpty() || !label->pixmap().isNull(), qPrintable(label->objectName()));
        if (page == 1) {
            auto *picture = dialog->scrollAreaWidgetContents->findChild<QLabel *>(u"helpPicture1"_s);
            QCOMPARE(picture->pixmap().width(), 1000 - 150);
        }
        delete dialog;
    }

    void onlyTheFirstVideoPlaysByItself()
    {
        auto *dialog = new infoclass(HelpPages::ScenarioPage, 1000, 700);
        const QList<VideoWidget *> videos = dialog->videos();
        QCOMPARE(videos.size(), 2);
        QVERIFY(videos.at(0)->autoplay());
        QVERIFY(!videos.at(1)->autoplay());
        QCOMPARE(videos.at(0)->player()->source(), QUrl(u"qrc:/helpinfo/scenarioinfo/video1.mp4"_s));
        QCOMPARE(videos.at(1)->player()->source(), QUrl(u"qrc:/helpinfo/scenarioinfo/video2.mp4"_s));
        QCOMPARE(videos.at(0)->player()->playbackState(), QMediaPlayer::PlayingState);
        QVERIFY(videos.at(1)->player()->playbackState() != QMediaPlayer::PlayingState);

        // a click on the second one starts it, a second click pauses it
        QGraphicsView *view = videos.at(1)->view();
        pressAt(view->viewport(), view->viewport()->rect().center());
        QCOMPARE(videos.at(1)->player()->playbackState(), QMediaPlayer::PlayingState);
        pressAt(view->viewport(), view->viewport()->rect().center());
        QCOMPARE(videos.at(1)->player()->playbackState(), QMediaPlayer::PausedState);
        delete dialog;
    }

    void frameIsTwoPointTwoToOne_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QSize>("minimum");
        // wide dialog: the height is the limit; narrow: the width
        QTest::newRow("wide") << 1200 << 400 << QSize(1200, 300);
        QTest::newRow("narrow") << 880 << 900 << QSize(880, 400);
    }
    void frameIsTwoPointTwoToOne()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QSize, minimum);
        VideoWidget video(u"qrc:/helpinfo/deviceinfo/video1.mp4"_s, false, width, height);
        QCOMPARE(video.view()->minimumSize(), minimum);
    }

    void endOfMediaRewindsAndPauses()
    {
        VideoWidget video(u"qrc:/helpinfo/deviceinfo/video1.mp4"_s, true, 800, 500);
        video.player()->play();
        video.handleMediaStatusChanged(QMediaPlayer::EndOfMedia);
        QCOMPARE(video.player()->position(), qint64(0));
        QCOMPARE(video.player()->playbackState(), QMediaPlayer::PausedState);
    }

    // On Qt's default media backend a video may report playing and stand on its first frame:
    // a second later the note takes its place.
    void standingVideoSaysSo()
    {
        VideoWidget video(u"qrc:/helpinfo/deviceinfo/video1.mp4"_s, true, 800, 500);
        video.show();
        QTRY_VERIFY_WITH_TIMEOUT(video.player()->position() > 0 || video.failureLabel()->isVisible(), VideoWidget::StallMs * 4);
        QCOMPARE(video.view()->isVisible(), !video.failureLabel()->isVisible());
    }

    void unplayableVideoSaysSo()
    {
        VideoWidget video(u"qrc:/helpinfo/deviceinfo/missing.mp4"_s, true, 800, 500);
        video.show();
        QTRY_VERIFY_WITH_TIMEOUT(video.failureLabel()->isVisible(), 5000);
        QVERIFY(video.failureLabel()->text().startsWith(u"Видео не удалось воспроизвести"_s));
        QVERIFY(!video.view()->isVisible());
    }

    void helpOverTheMainWindow()
    {
        WindowFixture f;
        f.window->resize(1200, 800);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));

        // the devices page's help button reaches the viewer through the main window
        f.window->devicesForm()->on_helpButton_released();
        QCOMPARE(openHelpDialogs, 1);
        QPointer<infoclass> dialog = lastHelpDialog;
        QVERIFY(dialog);
        QCOMPARE(dialog->header->text(), u"НАСТРОЙКА УСТРОЙСТВ"_s);
        QCOMPARE(dialog->size(), QSize(1100, 730));
        QVERIFY(qobject_cast<QGraphicsBlurEffect *>(f.window->graphicsEffect()));

        // a press inside the dialog leaves it open
        pressAt(dialog->header, QPoint(2, 2));
        QVERIFY(dialog);
        // a press on the blurred main window (outside the dialog) closes it and is swallowed
        QPushButton corner(f.window.get());
        corner.setGeometry(0, 0, 30, 30);
        corner.show();
        corner.raise();
        QVERIFY(!dialog->frameGeometry().contains(corner.mapToGlobal(corner.rect().center())));
        QSignalSpy pressed(&corner, &QPushButton::pressed);
        pressAt(&corner, corner.rect().center());
        drainEvents(0);
        QVERIFY(!dialog);
        QCOMPARE(pressed.count(), 0);
        pressAt(&corner, corner.rect().center());
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(openHelpDialogs, 0);
        QCOMPARE(f.window->graphicsEffect(), nullptr);

        // the close button
        dialog = openHelp(f.window.get(), HelpPages::HistoryPage);
        QCOMPARE(openHelpDialogs, 1);
        QTest::mouseClick(dialog->pushButton, Qt::LeftButton);
        drainEvents(0);
        QVERIFY(!dialog);
        QCOMPARE(openHelpDialogs, 0);
        QCOMPARE(f.window->graphicsEffect(), nullptr);
    }
};

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
