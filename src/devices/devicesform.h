#pragma once

#include "model/codec/sensorcatalogue.h"
#include "model/codec/statusrecord.h"

#include <QList>
#include <QMap>
#include <QWidget>

class QLabel;
class QPushButton;
class PowerSocketElement;
class SensorElement;
class StatusRecord;
struct DecodeResult;
struct PanelStatus;

// The devices page: four socket tiles, six sensor tiles, the work countdown and the start/pause
// button. It holds no controller state of its own; the exchange sequencer pushes names, states
// and live values in through the operations below, and user requests go out through the shared
// request variables and signals.
class DevicesForm : public QWidget
{
    Q_OBJECT
public:
    explicit DevicesForm(QWidget *parent = nullptr);
    ~DevicesForm() override;

    static constexpr int HelpPage = 1;

    // Tile of port 1..4 / sensor 1..6; null for any other number.
    PowerSocketElement *socketTile(int port) const;
    SensorElement *sensorTile(int number) const;

    // --- filled from what the exchange sequencer announces (takeConfiguration, takeStatusRecord) ---
    // A status record: live values, socket states and the countdown.
    void takeStatus(const QByteArray &status);
    void takeStatus(const StatusRecord &record);
    // Before a configuration decode: default names, sensors unplugged, sockets off.
    void resetTiles();
    // After a decode accepted the section of sensor 0..5 / socket 0..3 (names from the state).
    void applyDecodedSensor(int index);
    void applyDecodedSocket(int index);
    // Each sensor tile shows its switch only while its input is a relay output.
    void updateRelaySwitches();
    void setStartStopText(bool running);
    void setStartStopVisible(bool visible);
    // kind: Working or Waiting, Stopped, NoWorkCycle.
    void showStatus(bool dayPhase, int hours, int minutes, bool beforeStart, WorkKind kind);
    // Rows selectable on each input, in sensor-number order.
    void distributeTypeLists(const QList<QList<SensorTypeInfo>> &lists);

    int dayNightEnabled = 0;

    QLabel *titleLabel;
    QLabel *daystatesym;
    QLabel *daytime;
    QPushButton *helpButton;
    QPushButton *startStopButton;

signals:
    void setBlurEffect(bool on);
    void helpRequested(int page);

public slots:
    // What the exchange sequencer announces.
    void takeConfiguration(const DecodeResult &result, bool fallback);
    void takeStatusRecord(const StatusRecord &record, const PanelStatus &panel);

    void daysymena(int st);
    void on_startStopButton_clicked(bool checked);
    void on_helpButton_released();

private:
    QWidget *buildHeader();
    QWidget *buildStatusCard();
    QWidget *buildTileGrid();
    void showLiveValues(const StatusRecord &record);
    void showSensorValue(SensorElement *tile, int index, const StatusRecord &record);
    void showSocketStates(const StatusRecord &record);

    QMap<int, PowerSocketElement *> m_sockets;  // port number -> tile
    QMap<int, SensorElement *> m_sensors;       // sensor number -> tile
};
