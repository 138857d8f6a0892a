#pragma once

#include <QMediaPlayer>
#include <QTimer>
#include <QWidget>

class QAudioOutput;
class QGraphicsScene;
class QGraphicsVideoItem;
class QGraphicsView;
class QLabel;

// One help video in a 2.2 : 1 frame: a click toggles play and pause, the end rewinds and pauses.
// When the video cannot be played, a short note says so in its place.
class VideoWidget : public QWidget
{
    Q_OBJECT
public:
    VideoWidget(const QString &url, bool autoplay, int width, int height, QWidget *parent = nullptr);
    ~VideoWidget() override;

    static constexpr double FrameRatio = 2.2;

    QMediaPlayer *player() const { return m_player; }
    QGraphicsView *view() const { return m_view; }
    bool autoplay() const { return m_autoplay; }
    // The note shown instead of the video; hidden while the video plays.
    QLabel *failureLabel() const { return m_failure; }
    static QString failureText();
    // How long a playing video may stand still before the note takes its place.
    static constexpr int StallMs = 1000;

public slots:
    void handleMediaStatusChanged(QMediaPlayer::MediaStatus status);
    void togglePlayback();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showFailure();
    void fitVideo();
    void watchPlayback(QMediaPlayer::PlaybackState state);
    void checkAdvanced();

    QMediaPlayer *m_player;
    QAudioOutput *m_audio;
    QGraphicsScene *m_scene;
    QGraphicsVideoItem *m_videoItem;
    QGraphicsView *m_view;
    QLabel *m_failure;
    bool m_autoplay;
    // A backend that cannot decode may report playing and never move: a second after the start
    // the position must have changed.
    QTimer m_stallCheck;
    qint64 m_startPosition = 0;
};
