#include "devices/powersocketelement.h"

#include "widgets/theme.h"
#include "devices/powersocketsettings.h"
#include "devices/switchrequest.h"
#include "link/requests.h"
#include "model/controllerstate.h"
#include "model/codec/textlimit.h"
#include "widgets/dialogs.h"
#include "widgets/switchbutton.h"
#include "widgets/viewstate.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace PS = POWERSOCKETELEMENT;

namespace {

struct StatusLook
{
    QString frameStyle;
    QString picture;
    QColor nameColour;
    Qt::CursorShape cursor;
};

StatusLook lookOf(PS::EPowerSocketStatus status)
{
    const QString connectedFrame = QStringLiteral(
        "QFrame#mainFrame { background-color: %1; border: 3px solid %3; border-radius: 12px; }"
        " QFrame#mainFrame:hover { border: 3px solid %2; }")
        .arg(Theme::css(Theme::CardBackground), Theme::css(Theme::Live), Theme::css(Theme::Shadow));
    switch (status) {
    case PS::On:
        return {connectedFrame, QStringLiteral(":/pict/powerSocketOn.png"), Theme::Live,
                Qt::PointingHandCursor};
    case PS::Off:
        return {connectedFrame, QStringLiteral(":/pict/powerSocketOff.png"), Theme::Attention,
                Qt::PointingHandCursor};
    case PS::NotConnected:
        break;
    }
    return {QStringLiteral("QFrame#mainFrame { background-color: %1; border: 2px solid %2;"
                           " border-radius: 12px; }")
                .arg(Theme::css(Theme::CardBackground), Theme::css(Theme::TileEdge)),
            QStringLiteral(":/pict/powerSocketNotConnected_1.png"), Theme::MutedText, Qt::ForbiddenCursor};
}

} // namespace

PowerSocketElement::PowerSocketElement(QWidget *parent)
    : QWidget(parent),
      mainFrame(new QFrame(this)),
      powerSocketPixmapLabel(new QLabel(mainFrame)),
      powerButton(new SwitchButton(mainFrame)),
      settingsButton(new QPushButton(mainFrame)),
      powerSocketNameLabel(new QLabel(mainFrame)),
      powerlabel(new QLabel(mainFrame))
{
    mainFrame->setObjectName(QStringLiteral("mainFrame"));
    powerSocketPixmapLabel->setObjectName(QStringLiteral("powerSocketPixmapLabel"));
    powerButton->setObjectName(QStringLiteral("powerButton"));
    settingsButton->setObjectName(QStringLiteral("settingsButton"));
    powerSocketNameLabel->setObjectName(QStringLiteral("powerSocketNameLabel"));
    powerlabel->setObjectName(QStringLiteral("powerlabel"));

    setMinimumSize(150, 230);
    powerSocketPixmapLabel->setFixedSize(96, 96);
    powerSocketPixmapLabel->setScaledContents(true);
    powerSocketPixmapLabel->setStyleSheet(QStringLiteral("background: transparent; border: none;"));

    // Names come from the user: shown as rich text (for the line break) with the name escaped.
    powerSocketNameLabel->setTextFormat(Qt::RichText);
    powerSocketNameLabel->setAlignment(Qt::AlignCenter);
    powerSocketNameLabel->setWordWrap(true);
    powerlabel->setAlignment(Qt::AlignCenter);
    powerlabel->setStyleSheet(Theme::captionStyle());

    powerButton->setFixedSize(86, 32);
    settingsButton->setIcon(QIcon(QStringLiteral(":/pict/settings.png")));
    settingsButton->setIconSize(QSize(24, 24));
    settingsButton->setFixedSize(32, 32);
    settingsButton->setCursor(Qt::PointingHandCursor);
    settingsButton->setStyleSheet(Theme::iconButtonStyle());

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(mainFrame);

    auto *layout = new QVBoxLayout(mainFrame);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(6);
    layout->addWidget(powerSocketPixmapLabel, 0, Qt::AlignHCenter);
    layout->addWidget(powerSocketNameLabel);
    layout->addWidget(powerlabel);
    layout->addStretch(1);
    auto *controls = new QHBoxLayout;
    controls->addWidget(powerButton);
    controls->addStretch(1);
    controls->addWidget(settingsButton);
    layout->addLayout(controls);

    connect(powerButton, &SwitchButton::switchClicked, this, &PowerSocketElement::onPowerButtonClicked);
    connect(settingsButton, &QPushButton::clicked, this, [this] {
        if (status != PS::NotConnected)
            openPowerSocketSettings();
    });

    setPowerSocketStatus(PS::NotConnected);
}

QString PowerSocketElement::displayName() const
{
    return name.isEmpty() ? defaultSocketName(portNumber - 1) : name;
}

void PowerSocketElement::setPowerSocketName(const QString &newName)
{
    name = newName;
    refreshNameLabel();
}

void PowerSocketElement::setPowerSocketPortNumber(int port)
{
    portNumber = port;
    refreshNameLabel();
}

void PowerSocketElement::setPowerSocketStatus(PS::EPowerSocketStatus newStatus)
{
    // Every status poll reports the sockets; restyling an unchanged tile would lay it out and
    // paint it again each time.
    if (m_styled && newStatus == status)
        return;
    m_styled = true;
    status = newStatus;
    const StatusLook look = lookOf(status);
    mainFrame->setStyleSheet(look.frameStyle);
    powerSocketPixmapLabel->setPixmap(QPixmap(look.picture));
    powerSocketPixmapLabel->setProperty("picture", look.picture);
    powerSocketNameLabel->setStyleSheet(Theme::nameStyle(look.nameColour));
    setCursor(look.cursor);
    showSwitchOfStatus();
    refreshNameLabel();
}

void PowerSocketElement::showSwitchOfStatus()
{
    powerButton->setVisible(status != PS::NotConnected);
    settingsButton->setEnabled(status != PS::NotConnected);
    powerButton->setCurrentState(status == PS::On ? SWITCHBUTTON::ON : SWITCHBUTTON::OFF);
}

void PowerSocketElement::refreshNameLabel()
{
    QString text = displayName().toHtmlEscaped();
    if (status == PS::NotConnected)
        text = QStringLiteral("%1<p>Не подключен").arg(text);
    powerSocketNameLabel->setText(text);
    // the switch and the icon button say whose they are
    powerButton->setAccessibleName(QStringLiteral("Питание: %1").arg(displayName()));
    settingsButton->setAccessibleName(QStringLiteral("Настройки: %1").arg(displayName()));
}

void PowerSocketElement::onPowerButtonClicked()
{
    if (viewState().workRunning) {
        showStopWorkNote(this);
        // Nothing was sent: the switch goes back to what the socket really does.
        showSwitchOfStatus();
        return;
    }
    requestOutputSwitch(portNumber, powerButton->isOn());
}

void PowerSocketElement::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && status != PS::NotConnected) {
        openPowerSocketSettings();
        return;
    }
    QWidget::mousePressEvent(event);
}

void PowerSocketElement::openPowerSocketSettings()
{
    emit setBlurEffect(true);
    PowerSocketSettings dialog(displayName(), this);
    const int result = Dialogs::exec(&dialog);
    emit setBlurEffect(false);
    if (result != QDialog::Accepted)
        return;

    // The image stores a name with a one-byte length.
    const QString newName = cutToUtf8Bytes(dialog.name);
    ControllerState &state = controllerState();
    if (portNumber >= 1 && portNumber <= state.sockets.size()) {
        state.sockets[portNumber - 1].name = newName;
        state.uploadRequest = true;
    }
    setPowerSocketName(newName);
}
