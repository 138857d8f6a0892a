#include "devices/devicesform.h"

#include "widgets/theme.h"
#include "devices/livevalues.h"
#include "devices/powersocketelement.h"
#include "devices/sensorelement.h"
#include "devices/switchrequest.h"
#include "link/requests.h"
#include "model/clock.h"
#include "model/codec/configimage.h"
#include "model/controllerstate.h"
#include "model/codec/statusrecord.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int SocketTileCount = ControllerState::SocketCount;
constexpr int SensorTileCount = ControllerState::SensorCount;
constexpr int SensorColumns = 3;  // two rows of three fit the page's 760 px

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString clockText(int hours, int minutes)
{
    return twoDigits(hours) + QLatin1Char(':') + twoDigits(minutes);
}

} // namespace

DevicesForm::DevicesForm(QWidget *parent)
    : QWidget(parent),
      titleLabel(new QLabel(QStringLiteral("Оборудование & Датчики"), this)),
      daystatesym(new QLabel(this)),
      daytime(new QLabel(this)),
      helpButton(new QPushButton(QStringLiteral("Справка"), this)),
      startStopButton(new QPushButton(QStringLiteral("Начать работу"), this))
{
    setObjectName(QStringLiteral("DevicesForm"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("QWidget#DevicesForm { background-color: %1; }").arg(Theme::css(Theme::PageBackground)));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(14);
    layout->addWidget(buildHeader());
    layout->addWidget(buildStatusCard());
    layout->addWidget(buildTileGrid());
    layout->addStretch(1);

    connect(startStopButton, &QPushButton::clicked, this, &DevicesForm::on_startStopButton_clicked);
    connect(helpButton, &QPushButton::released, this, &DevicesForm::on_helpButton_released);

    for (int input = 0; input < SensorTileCount; ++input)
        m_sensors.value(input + 1)->setTypeList(selectableTypes(input));
    // The rated power printed on the box beside each socket.
    for (int port = 1; port <= SocketTileCount; ++port)
        m_sockets.value(port)->powerlabel->setText(port == SocketTileCount ? QStringLiteral("1500 Вт") : QStringLiteral("200 Вт"));
}

DevicesForm::~DevicesForm() = default;

QWidget *DevicesForm::buildHeader()
{
    return Theme::pageHeader(this, titleLabel, helpButton);
}

QWidget *DevicesForm::buildStatusCard()
{
    auto *card = new QFrame(this);
    card->setObjectName(QStringLiteral("statusFrame"));
    card->setStyleSheet(Theme::cardStyle(card->objectName()));
    auto *row = new QHBoxLayout(card);
    row->setContentsMargins(16, 10, 16, 10);
    row->setSpacing(12);

    daystatesym->setObjectName(QStringLiteral("daystatesym"));
    daystatesym->setFixedSize(32, 32);
    daystatesym->hide();
    daytime->setObjectName(QStringLiteral("daytime"));
    daytime->setTextFormat(Qt::PlainText);
    daytime->setStyleSheet(QStringLiteral("color: %1; background: transparent; font-family: %2;"
                                          " font-size: 20px; font-weight: 500;")
                               .arg(Theme::css(Theme::Live), Theme::NumberFont));
    startStopButton->setObjectName(QStringLiteral("startStopButton"));
    startStopButton->setCheckable(true);
    startStopButton->setCursor(Qt::PointingHandCursor);
    startStopButton->setStyleSheet(Theme::actionButtonStyle());

    row->addWidget(daystatesym);
    row->addWidget(daytime, 1);
    row->addWidget(startStopButton);
    return card;
}

QWidget *DevicesForm::buildTileGrid()
{
    auto *area = new QWidget(this);
    auto *grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(12);

    // A 12-column grid: the four sockets take three columns each in the first row, the six
    // sensors four columns each in two rows of three below.
    constexpr int Columns = 12;
    for (int port = 1; port <= SocketTileCount; ++port) {
        auto *tile = new PowerSocketElement(area);
        tile->setObjectName(QStringLiteral("powerSocketWidget_%1").arg(port));
        tile->setPowerSocketPortNumber(port);
        connect(tile, &PowerSocketElement::setBlurEffect, this, &DevicesForm::setBlurEffect);
        grid->addWidget(tile, 0, (port - 1) * (Columns / SocketTileCount), 1, Columns / SocketTileCount);
        m_sockets.insert(port, tile);
    }
    for (int number = 1; number <= SensorTileCount; ++number) {
        auto *tile = new SensorElement(area);
        tile->setObjectName(QStringLiteral("sensorWidget_%1").arg(number));
        tile->setSensorNumber(number);
        connect(tile, &SensorElement::setBlurEffect, this, &DevicesForm::setBlurEffect);
        const int row = 1 + (number - 1) / SensorColumns;
        const int column = ((number - 1) % SensorColumns) * (Columns / SensorColumns);
        grid->addWidget(tile, row, column, 1, Columns / SensorColumns);
        m_sensors.insert(number, tile);
    }
    for (int c = 0; c < Columns; ++c)
        grid->setColumnStretch(c, 1);
    return area;
}

PowerSocketElement *DevicesForm::socketTile(int port) const
{
    return m_sockets.value(port, nullptr);
}

SensorElement *DevicesForm::sensorTile(int number) const
{
    return m_sensors.value(number, nullptr);
}

void DevicesForm::daysymena(int st)
{
    dayNightEnabled = st;
    daystatesym->setVisible(st != 0);
}

void DevicesForm::on_startStopButton_clicked(bool checked)
{
    requestRunState(checked);
}

void DevicesForm::on_helpButton_released()
{
    emit helpRequested(HelpPage);
}

void DevicesForm::setStartStopText(bool running)
{
    startStopButton->setText(running ? QStringLiteral("Приостановить работу") : QStringLiteral("Начать работу"));
    // The button's checked state follows what the controller reports, so that the next click asks
    // for the opposite of what the text says (setChecked does not emit clicked).
    startStopButton->setChecked(running);
}

void DevicesForm::setStartStopVisible(bool visible)
{
    startStopButton->setVisible(visible);
}

void DevicesForm::resetTiles()
{
    for (auto it = m_sensors.cbegin(); it != m_sensors.cend(); ++it) {
        it.value()->setSensorName(defaultSensorName(it.key() - 1));
        it.value()->setConnectionState(SENSORELEMENT::NotConnected);
    }
    for (auto it = m_sockets.cbegin(); it != m_sockets.cend(); ++it) {
        it.value()->setPowerSocketStatus(POWERSOCKETELEMENT::Off);
        it.value()->setPowerSocketName(defaultSocketName(it.key() - 1));
    }
}

void DevicesForm::applyDecodedSensor(int index)
{
    SensorElement *tile = sensorTile(index + 1);
    const QList<SensorSlot> &sensors = controllerState().sensors;
    if (!tile || index < 0 || index >= sensors.size())
        return;
    tile->setConnectionState(SENSORELEMENT::Connected);
    tile->setSensorName(sensors.at(index).name);
}

void DevicesForm::applyDecodedSocket(int index)
{
    PowerSocketElement *tile = socketTile(index + 1);
    const QList<SocketSlot> &sockets = controllerState().sockets;
    if (!tile || index < 0 || index >= sockets.size())
        return;
    tile->setPowerSocketName(sockets.at(index).name);
    tile->setPowerSocketStatus(POWERSOCKETELEMENT::Off);
}

void DevicesForm::updateRelaySwitches()
{
    const QList<SensorSlot> &sensors = controllerState().sensors;
    for (auto it = m_sensors.cbegin(); it != m_sensors.cend(); ++it) {
        const int index = it.key() - 1;
        it.value()->setSwitchVisible(index < sensors.size() && sensors.at(index).type == SensorRelayOutput);
    }
}

void DevicesForm::distributeTypeLists(const QList<QList<SensorTypeInfo>> &lists)
{
    for (auto it = m_sensors.cbegin(); it != m_sensors.cend(); ++it) {
        const int index = it.key() - 1;
        if (index < lists.size())
            it.value()->setTypeList(lists.at(index));
    }
}

void DevicesForm::takeConfiguration(const DecodeResult &result, bool fallback)
{
    Q_UNUSED(fallback)
    resetTiles();
    for (int index : result.acceptedSensors)
        applyDecodedSensor(index);
    for (int index : result.acceptedSockets)
        applyDecodedSocket(index);
    updateRelaySwitches();
    // the day/night symbol follows whether the cycle has a night
    daysymena(controllerState().nightHours != 0 ? 1 : 0);
}

void DevicesForm::takeStatusRecord(const StatusRecord &record, const PanelStatus &panel)
{
    takeStatus(record);
    if (panel.button != PanelStatus::KeepButton)
        setStartStopVisible(panel.button == PanelStatus::ShowButton);
    setStartStopText(record.workRuns());
}

void DevicesForm::takeStatus(const QByteArray &status)
{
    takeStatus(StatusRecord(status));
}

void DevicesForm::takeStatus(const StatusRecord &record)
{
    showLiveValues(record);

    const ControllerState &state = controllerState();
    const WorkCycleTimes cycle{state.cycleCount, state.dayHours, state.nightHours, state.startTime};
    const WorkStatus work = workStatusOf(record, cycle, Clock::now());
    showStatus(work.dayPhase, work.hours, work.minutes, work.beforeStart, work.kind);
}

void DevicesForm::showLiveValues(const StatusRecord &record)
{
    for (auto it = m_sensors.cbegin(); it != m_sensors.cend(); ++it)
        showSensorValue(it.value(), it.key() - 1, record);
    if (!outputSwitchPending())
        showSocketStates(record);
}

void DevicesForm::showSensorValue(SensorElement *tile, int index, const StatusRecord &record)
{
    QList<SensorSlot> &sensors = controllerState().sensors;
    if (index < 0 || index >= sensors.size())
        return;
    SensorSlot &sensor = sensors[index];
    switch (sensor.type) {
    case SensorOneWireTemperature:
    case SensorTemperatureHumidity:
    case SensorVoltage: {
        const NumericReading reading = numericReading(sensorTypeInfo(sensor.type), sensor.channels, record);
        tile->setValueText(reading.text);
        sensor.valueTexts = reading.numbers;
        break;
    }
    case SensorContact:
        tile->setValueText(sensor.channels.isEmpty() ? QString()
                                                     : contactText(record.channelWord(sensor.channels.first())));
        break;
    case SensorRelayOutput:
        tile->setValueText(QString());
        if (!sensor.channels.isEmpty())
            tile->takeRelayLevel(record.channelWord(sensor.channels.first()));
        break;
    default:
        tile->setValueText(QString());
        break;
    }
}

void DevicesForm::showSocketStates(const StatusRecord &record)
{
    // Channel ids 0..3 carry the outputs of sockets 1..4.
    for (auto it = m_sockets.cbegin(); it != m_sockets.cend(); ++it) {
        const bool on = record.channelWord(it.key() - 1) != 0;
        it.value()->setPowerSocketStatus(on ? POWERSOCKETELEMENT::On : POWERSOCKETELEMENT::Off);
    }
}

void DevicesForm::showStatus(bool dayPhase, int hours, int minutes, bool beforeStart, WorkKind kind)
{
    if (kind == WorkKind::NoWorkCycle || kind == WorkKind::Stopped) {
        daytime->setText(kind == WorkKind::NoWorkCycle ? QStringLiteral("СЦЕНАРИЙ РАБОТЫ НЕ ЗАДАН")
                                                        : QStringLiteral("РАБОТА ОСТАНОВЛЕНА"));
        if (dayNightEnabled)
            daystatesym->hide();
        return;
    }
    if (beforeStart) {
        daytime->setText(QStringLiteral("НАЧАЛО РАБОТЫ ЧЕРЕЗ ") + clockText(hours, minutes));
        daystatesym->hide();
        return;
    }
    daytime->setText(QStringLiteral("ОСТАЛОСЬ ") + clockText(hours, minutes));
    if (dayNightEnabled) {
        const QString look = dayPhase ? QStringLiteral("border-image: url(:/pict/dayWorkIcon.svg);")
                                      : QStringLiteral("border-image: url(:/pict/nightWorkIcon.svg);");
        // a new style sheet repolishes the label: only when the phase changes
        if (daystatesym->styleSheet() != look)
            daystatesym->setStyleSheet(look);
        daystatesym->show();
    }
}
