#include "devices/sensorelement.h"

#include "widgets/theme.h"
#include "devices/sensorsettings.h"
#include "devices/switchrequest.h"
#include "link/requests.h"
#include "model/controllerstate.h"
#include "widgets/dialogs.h"
#include "widgets/switchbutton.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace SE = SENSORELEMENT;

namespace {

constexpr quint32 RelayOnLevel = 100;

QString pinStyle(int state)
{
    return state == SE::Connected ? QStringLiteral("border-image: url(:/pict/sensorConnectionOk.svg);")
                              : QStringLiteral("border-image: url(:/pict/sensorConnectionFail.svg);");
}

QFrame *transparentFrame(const QString &objectName, QWidget *parent)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(objectName);
    frame->setStyleSheet(QStringLiteral("QFrame#%1 { background: transparent; border: none; }").arg(objectName));
    return frame;
}

} // namespace

SensorElement::SensorElement(QWidget *parent)
    : QWidget(parent),
      mainFrame(new QFrame(this)),
      topFrame(transparentFrame(QStringLiteral("topFrame"), mainFrame)),
      stateFrame(transparentFrame(QStringLiteral("stateFrame"), mainFrame)),
      pinFrame(transparentFrame(QStringLiteral("pinFrame"), mainFrame)),
      sensorNameLabel(new QLabel(QStringLiteral("Не подключен"), topFrame)),
      sensorDataLabel(new QLabel(topFrame)),
      powerButton(new SwitchButton(stateFrame)),
      m_topLayout(new QVBoxLayout(topFrame))
{
    mainFrame->setObjectName(QStringLiteral("mainFrame"));
    mainFrame->setStyleSheet(
        Theme::cardStyle(QStringLiteral("mainFrame"))
        + QStringLiteral(" QFrame#mainFrame:hover { border: 2px solid %1; }").arg(Theme::css(Theme::Live)));
    sensorNameLabel->setObjectName(QStringLiteral("sensorNameLabel"));
    sensorDataLabel->setObjectName(QStringLiteral("sensorDataLabel"));
    powerButton->setObjectName(QStringLiteral("powerButton"));

    setMinimumSize(200, 150);  // three tiles side by side on the smallest window
    setCursor(Qt::PointingHandCursor);

    sensorNameLabel->setTextFormat(Qt::PlainText);
    sensorNameLabel->setWordWrap(true);
    sensorDataLabel->setTextFormat(Qt::RichText);
    sensorDataLabel->setWordWrap(true);  // a long value goes under its name on a narrow tile
    sensorDataLabel->setStyleSheet(Theme::valueStyle());
    sensorDataLabel->hide();
    m_topLayout->setContentsMargins(0, 0, 0, 0);
    m_topLayout->addWidget(sensorNameLabel, 1);
    m_topLayout->addWidget(sensorDataLabel, 0);

    powerButton->setFixedSize(86, 32);
    powerButton->hide();
    auto *stateLayout = new QHBoxLayout(stateFrame);
    stateLayout->setContentsMargins(0, 0, 0, 0);
    stateLayout->addWidget(powerButton);
    stateLayout->addStretch(1);

    auto *pinLayout = new QHBoxLayout(pinFrame);
    pinLayout->setContentsMargins(0, 0, 0, 0);
    pinLayout->setSpacing(10);
    for (int pin = 1; pin <= PinCount; ++pin) {
        auto *label = new QLabel(pinFrame);
        label->setObjectName(QStringLiteral("pinStatusLabel_%1").arg(pin));
        label->setFixedSize(16, 16);
        pinStatusLabels.append(label);
        pinLayout->addWidget(label);
    }
    pinLayout->addStretch(1);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(mainFrame);
    auto *layout = new QVBoxLayout(mainFrame);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(8);
    layout->addWidget(topFrame, 1);
    layout->addWidget(stateFrame);
    layout->addWidget(pinFrame);

    connect(powerButton, &SwitchButton::switchClicked, this, &SensorElement::onPowerButtonClicked);

    setConnectionState(SE::NotConnected);
}

void SensorElement::setSensorNumber(int number)
{
    sensorNumber = number;
}

void SensorElement::setSensorName(const QString &newName)
{
    name = newName;
    sensorNameLabel->setText(name);
    powerButton->setAccessibleName(QStringLiteral("Питание: %1").arg(name));
}

void SensorElement::setConnectionState(int state)
{
    connectionState = state == SE::Connected ? SE::Connected : SE::NotConnected;
    for (QLabel *label : std::as_const(pinStatusLabels))
        label->setStyleSheet(pinStyle(connectionState));
    sensorNameLabel->setStyleSheet(
        Theme::nameStyle(connectionState == SE::Connected ? Theme::Live : Theme::MutedText));
    if (connectionState == SE::NotConnected)
        setValueText(QString());
}

void SensorElement::setValueText(const QString &text)
{
    valueText = text;
    sensorDataLabel->setText(text);
    sensorDataLabel->setVisible(!text.isEmpty());
    m_topLayout->setStretch(0, 1);
    m_topLayout->setStretch(1, text.isEmpty() ? 0 : 3);
}

void SensorElement::setTypeList(const QList<SensorTypeInfo> &types)
{
    typeList = types;
}

void SensorElement::setSwitchVisible(bool visible)
{
    powerButton->setVisible(visible);
}

void SensorElement::takeRelayLevel(quint32 level)
{
    if (switchHoldTicks != 0) {
        --switchHoldTicks;
        return;
    }
    powerButton->setCurrentState(level == RelayOnLevel ? SWITCHBUTTON::ON : SWITCHBUTTON::OFF);
}

void SensorElement::onPowerButtonClicked()
{
    if (requestedRunState() != RunRequest::Paused) {
        showStopWorkNote(this);
        // Nothing was sent: undo the click on the switch.
        powerButton->setCurrentState(powerButton->isOn() ? SWITCHBUTTON::OFF : SWITCHBUTTON::ON);
        return;
    }
    requestOutputSwitch(sensorNumber + SensorOutputOffset, powerButton->isOn());
    switchHoldTicks = SwitchHoldPolls;
}

void SensorElement::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        openSensorSettings();
        return;
    }
    QWidget::mousePressEvent(event);
}

void SensorElement::openSensorSettings()
{
    const QList<SensorSlot> &sensors = controllerState().sensors;
    const int index = sensorNumber - 1;
    typeInfo = sensorTypeInfo(index >= 0 && index < sensors.size() ? sensors.at(index).type : SensorOff);

    emit setBlurEffect(true);
    SensorSettings dialog(this);
    dialog.setEditedSensor(index);
    dialog.setSensorName(name.isEmpty() ? defaultSensorName(index) : name);
    dialog.setTypeList(typeList);
    dialog.showTypeRow(typeInfo);
    dialog.setOpenedTypeName(typeInfo.name);
    Dialogs::exec(&dialog);
    emit setBlurEffect(false);
}
