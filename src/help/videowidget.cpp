#include "help/videowidget.h"

#include "widgets/theme.h"

#include <QAudioOutput>
#include <QDebug>
#include <QGraphicsScene>
#include <QGraphicsVideoItem>
#include <QGraphicsView>
#include <QLabel>
#include <QMetaEnum>
#include <QMouseEvent>
#include <QVBoxLayout>

VideoWidget::VideoWidget(const QString &url, bool autoplay, int width, int height, QWidget *parent)
    : QWidget(parent),
      m_player(new QMediaPlayer(this)),
      m_audio(new QAudioOutput(this)),
      m_scene(new QGraphicsScene(this)),
      m_videoItem(new QGraphicsVideoItem),
      m_view(new QGraphicsView(m_scene, this)),
      m_failure(new QLabel(this)),
      m_autoplay(autoplay)
{
    setObjectName(QStringLiteral("VideoWidget"));
    // A 2.2 : 1 frame, limited by the height the dialog leaves.
    const int h = height - 100;
    if (width > FrameRatio * h)
        m_view->setMinimumSize(width, h);
    else
        m_view->setMinimumSize(width, qRound(width / FrameRatio));
    m_view->setStyleSheet(QStringLiteral("border: 10px; padding: 0px;"));
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setBackgroundBrush(Theme::Shadow);
    m_view->setCursor(Qt::PointingHandCursor);

    m_failure->setObjectName(QStringLiteral("videoFailureLabel"));
    m_failure->setTextFormat(Qt::RichText);
    m_failure->setAlignment(Qt::AlignCenter);
    m_failure->setWordWrap(true);
    m_failure->setMinimumSize(m_view->minimumSize());
    m_failure->setStyleSheet(QStringLiteral(
        "QLabel { color: %1; background-color: %2; border-radius: 10px; font-family: %3; font-size: 16px; padding: 20px; }")
                                 .arg(Theme::css(Theme::Text), Theme::css(Theme::Inset), Theme::TextFont));
    m_failure->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view);
    layout->addWidget(m_failure);

    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error, const QString &text) {
        qDebug().noquote() << "Player Error:" << QMetaEnum::fromType<QMediaPlayer::Error>().valueToKey(error) << text;
        showFailure();
    });
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &VideoWidget::handleMediaStatusChanged);
    m_stallCheck.setSingleShot(true);
    m_stallCheck.setInterval(StallMs);
    connect(&m_stallCheck, &QTimer::timeout, this, &VideoWidget::checkAdvanced);
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, &VideoWidget::watchPlayback);
    m_view->viewport()->installEventFilter(this);

    // Connected first: a source that cannot be opened fails inside setSource.
    m_scene->addItem(m_videoItem);
    m_player->setVideoOutput(m_videoItem);
    m_player->setSource(QUrl(url));
    m_player->setAudioOutput(m_audio);

    if (!m_player->isAvailable() || m_player->error() != QMediaPlayer::NoError) {
        if (!m_player->isAvailable())
            qDebug().noquote() << "Player Error: no media backend";
        showFailure();
        return;
    }
    // Show the first frame; play only when asked to.
    m_player->play();
    m_player->pause();
    m_player->setPosition(0);
    if (m_autoplay)
        m_player->play();
}

VideoWidget::~VideoWidget()
{
    if (m_player->playbackState() == QMediaPlayer::PlayingState)
        m_player->stop();
}

QString VideoWidget::failureText()
{
    return QStringLiteral("Видео не удалось воспроизвести.<p>Похоже, в системе нет кодеков для видео H.264:"
                          " установите их и откройте справку снова. Текст справки ниже.");
}

void VideoWidget::showFailure()
{
    m_failure->setText(failureText());
    m_view->hide();
    m_failure->show();
}

void VideoWidget::watchPlayback(QMediaPlayer::PlaybackState state)
{
    if (state != QMediaPlayer::PlayingState) {
        m_stallCheck.stop();
        return;
    }
    m_startPosition = m_player->position();
    m_stallCheck.start();
}

void VideoWidget::checkAdvanced()
{
    if (m_player->playbackState() == QMediaPlayer::PlayingState && m_player->position() == m_startPosition) {
        qDebug().noquote() << "Player Error: the video does not advance";
        m_player->stop();
        showFailure();
    }
}

void VideoWidget::handleMediaStatusChanged(QMediaPlayer::MediaStatus status)
{
    if (status == QMediaPlayer::EndOfMedia) {
        m_player->setPosition(0);
        m_player->pause();
    } else if (status == QMediaPlayer::InvalidMedia) {
        showFailure();
    }
}

void VideoWidget::togglePlayback()
{
    if (m_player->playbackState() == QMediaPlayer::PlayingState)
        m_player->pause();
    else
        m_player->play();
}

bool VideoWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        togglePlayback();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void VideoWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitVideo();
}

void VideoWidget::fitVideo()
{
    const QSizeF size = m_view->viewport()->size();
    m_videoItem->setSize(size);
    m_scene->setSceneRect(QRectF(QPointF(0, 0), size));
    m_view->fitInView(m_videoItem, Qt::KeepAspectRatio);
}
