#include "help/infoclass.h"

#include "widgets/theme.h"

#include "help/helppages.h"
#include "help/videowidget.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QGraphicsEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QTextDocument>
#include <QVBoxLayout>

int openHelpDialogs = 0;
infoclass *lastHelpDialog = nullptr;

namespace {

// Frame margins, scroll bar and borders around the content.
constexpr int ContentMargin = 80;

QWidget *mainWindowWidget()
{
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget *w : tops) {
        if (qstrcmp(w->metaObject()->className(), "MainWindow") == 0)
            return w;
    }
    return nullptr;
}

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}

} // namespace

infoclass::infoclass(int page, int width, int height, QWidget *parent)
    : QDialog(parent),
      header(new QLabel),
      pushButton(new QPushButton),
      scrollArea(new QScrollArea),
      scrollAreaWidgetContents(new QWidget),
      m_contentLayout(new QVBoxLayout(scrollAreaWidgetContents))
{
    setObjectName(QStringLiteral("infoclass"));
    setWindowFlags(Qt::FramelessWindowHint | Qt::Dialog);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose);
    ++openHelpDialogs;
    lastHelpDialog = this;

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("helpFrame"));
    frame->setStyleSheet(QStringLiteral(
        "QFrame#helpFrame { background-color: %1; border: 2px solid %2; border-radius: 14px; }"
        " QLabel { color: %3; background: transparent; font-family: %4; font-size: 15px; }"
        " QLabel#header { font-size: 20px; font-weight: 600; }"
        " QScrollArea, QWidget#scrollAreaWidgetContents { background: transparent; border: none; }"
        " QPushButton#pushButton { background: transparent; border: none; }")
                             .arg(Theme::css(Theme::CardBackground), Theme::css(Theme::Brand), Theme::css(Theme::Text),
                                  Theme::TextFont));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    header->setObjectName(QStringLiteral("header"));
    header->setText(HelpPages::title(page));
    pushButton->setObjectName(QStringLiteral("pushButton"));
    pushButton->setAccessibleName(QStringLiteral("Закрыть справку"));
    pushButton->setIcon(QIcon(QStringLiteral(":/pict/offbut.png")));
    pushButton->setIconSize(QSize(28, 28));
    pushButton->setCursor(Qt::PointingHandCursor);
    scrollArea->setObjectName(QStringLiteral("scrollArea"));
    scrollAreaWidgetContents->setObjectName(QStringLiteral("scrollAreaWidgetContents"));
    scrollArea->setWidgetResizable(true);
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrollArea->setWidget(scrollAreaWidgetContents);

    auto *top = new QHBoxLayout;
    top->addWidget(header, 1);
    top->addWidget(pushButton);
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(24, 16, 16, 16);
    layout->addLayout(top);
    layout->addWidget(scrollArea, 1);
    header->setParent(frame);
    pushButton->setParent(frame);
    scrollArea->setParent(frame);

    connect(pushButton, &QPushButton::released, this, &infoclass::on_pushButton_released);
    addItems(page, width, height);
    qApp->installEventFilter(this);
}

infoclass::~infoclass()
{
    qApp->removeEventFilter(this);
    --openHelpDialogs;
    // Another help dialog still open keeps the main window blurred.
    if (openHelpDialogs == 0) {
        if (QWidget *main = mainWindowWidget())
            main->setGraphicsEffect(nullptr);
    }
    if (lastHelpDialog == this)
        lastHelpDialog = nullptr;
}

void infoclass::addItems(int page, int width, int height)
{
    int texts = 0;
    int videos = 0;
    int pictures = 0;
    const QList<int> items = HelpPages::items(page);
    for (int kind : items) {
        switch (kind) {
        case HelpPages::Text: {
            auto *label = new QLabel(scrollAreaWidgetContents);
            label->setObjectName(QStringLiteral("helpText%1").arg(++texts));
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            label->setWordWrap(true);
            label->setTextFormat(Qt::MarkdownText);
            label->setText(readText(HelpPages::itemPath(page, kind, texts)));
            {
                // assistive technologies read the words, not the markdown
                QTextDocument doc;
                doc.setMarkdown(label->text());
                label->setAccessibleName(doc.toPlainText());
            }
            m_contentLayout->addWidget(label);
            break;
        }
        case HelpPages::Video: {
            ++videos;
            const QString url = QStringLiteral("qrc") + HelpPages::itemPath(page, kind, videos);
            // Only the first video starts by itself. Its frame keeps clear of the dialog's margins
            // and scroll bar, so that nothing gets wider than the scroll area.
            m_contentLayout->addWidget(
                new VideoWidget(url, videos == 1, width - ContentMargin, height, scrollAreaWidgetContents));
            m_contentLayout->addStretch();
            break;
        }
        case HelpPages::Picture: {
            auto *label = new QLabel(scrollAreaWidgetContents);
            label->setObjectName(QStringLiteral("helpPicture%1").arg(++pictures));
            label->setAlignment(Qt::AlignCenter);
            const QPixmap picture(HelpPages::itemPath(page, kind, pictures));
            if (!picture.isNull())
                label->setPixmap(picture.scaledToWidth(qMax(1, width - 150), Qt::SmoothTransformation));
            m_contentLayout->addWidget(label);
            break;
        }
        default:
            break;
        }
    }
}

QList<VideoWidget *> infoclass::videos() const
{
    return scrollAreaWidgetContents->findChildren<VideoWidget *>();
}

void infoclass::on_pushButton_released()
{
    close();
}

bool infoclass::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const QPoint global = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        if (!frameGeometry().contains(global)) {
            close();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
