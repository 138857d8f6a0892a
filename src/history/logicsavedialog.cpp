#include "history/logicsavedialog.h"

#include "widgets/theme.h"
#include "model/clock.h"
#include "model/controllerstate.h"
#include "model/wallclock.h"

#include <QApplication>
#include <QGraphicsBlurEffect>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int BlurRadius = 6;
}

HistoryPeriod &historyPeriod()
{
    static HistoryPeriod period;
    return period;
}

logicsavedialog::logicsavedialog(QWidget *parent)
    : QDialog(parent), startdat(new QLineEdit(this)), enddat(new QLineEdit(this)),
      cancel(new QPushButton(QStringLiteral("Отмена"), this)), save(new QPushButton(QStringLiteral("Продолжить"), this))
{
    setObjectName(QStringLiteral("logicsavedialog"));
    setWindowTitle(QStringLiteral("Dialog"));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);

    auto *card = new QFrame(this);
    card->setObjectName(QStringLiteral("periodCard"));
    card->setStyleSheet(QStringLiteral("QFrame#periodCard { background-color: %1; border: 1px solid %4;"
                                       " border-radius: 14px; }"
                                       " QLabel { color: %2; background: transparent; border: none; font-family: %6; }"
                                       " QLineEdit { color: %2; background-color: %3; border: 1px solid %5;"
                                       " border-radius: 6px; padding: 4px 8px; font-family: %7; font-size: 16px; }")
                            .arg(Theme::css(Theme::CardBackground), Theme::css(Theme::Text), Theme::css(Theme::PageBackground),
                                 Theme::css(Theme::Brand), Theme::css(Theme::FieldBorder), Theme::TextFont, Theme::NumberFont));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(card);

    auto *caption = new QLabel(QStringLiteral("<html><head/><body><p>Выбор Периода для Истории</p></body></html>"), card);
    caption->setObjectName(QStringLiteral("label"));
    caption->setStyleSheet(QStringLiteral("font-size: 18px; font-weight: 600;"));
    auto *periodLabel = new QLabel(QStringLiteral("Период"), card);
    periodLabel->setObjectName(QStringLiteral("label_2"));
    auto *startLabel = new QLabel(QStringLiteral("НАЧАЛО"), card);
    startLabel->setObjectName(QStringLiteral("label_3"));
    auto *endLabel = new QLabel(QStringLiteral("ОКОНЧАНИЕ"), card);
    endLabel->setObjectName(QStringLiteral("label_4"));

    startdat->setObjectName(QStringLiteral("startdat"));
    enddat->setObjectName(QStringLiteral("enddat"));
    startdat->setAccessibleName(QStringLiteral("Начало периода"));
    enddat->setAccessibleName(QStringLiteral("Окончание периода"));
    cancel->setObjectName(QStringLiteral("cancel"));
    save->setObjectName(QStringLiteral("save"));
    for (QPushButton *b : {cancel, save}) {
        b->setCursor(Qt::PointingHandCursor);
        b->setStyleSheet(Theme::actionButtonStyle());
        b->setAutoDefault(false);
    }

    const QString mask = QStringLiteral("00.00.0000;_");
    startdat->setInputMask(mask);
    enddat->setInputMask(mask);
    startdat->setText(controllerState().startTime.toString(dateFormat()));
    enddat->setText(Clock::now().date().addDays(1).toString(dateFormat()));

    auto *grid = new QGridLayout(card);
    grid->setContentsMargins(24, 20, 24, 20);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(10);
    grid->addWidget(caption, 0, 0, 1, 2);
    grid->addWidget(periodLabel, 1, 0, 1, 2);
    grid->addWidget(startLabel, 2, 0);
    grid->addWidget(endLabel, 2, 1);
    grid->addWidget(startdat, 3, 0);
    grid->addWidget(enddat, 3, 1);
    grid->addWidget(cancel, 4, 0);
    grid->addWidget(save, 4, 1);

    connect(save, &QPushButton::clicked, this, &logicsavedialog::on_save_clicked);
    connect(cancel, &QPushButton::clicked, this, &logicsavedialog::on_cancel_clicked);
    setMainWindowBlur(true);
}

logicsavedialog::~logicsavedialog()
{
    setMainWindowBlur(false);
}

void logicsavedialog::on_save_clicked()
{
    historyPeriod().periodStartText = startdat->text();
    historyPeriod().periodEndText = enddat->text();
    emit contin();
    close();
}

void logicsavedialog::on_cancel_clicked()
{
    emit none();
    close();
}

void logicsavedialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QWidget *window = mainWindow()) {
        adjustSize();
        move(window->geometry().center() - rect().center());
    }
}

QWidget *logicsavedialog::mainWindow() const
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows)
        if (qstrcmp(w->metaObject()->className(), "MainWindow") == 0)
            return w;
    return nullptr;
}

void logicsavedialog::setMainWindowBlur(bool on)
{
    QWidget *window = mainWindow();
    if (!window)
        return;
    if (on) {
        auto *effect = new QGraphicsBlurEffect(window);
        effect->setBlurRadius(BlurRadius);
        window->setGraphicsEffect(effect);
    } else if (qobject_cast<QGraphicsBlurEffect *>(window->graphicsEffect())) {
        window->setGraphicsEffect(nullptr);
    }
}
