#pragma once

#include "model/codec/sensorcatalogue.h"

#include <QList>
#include <QWidget>

class QFrame;
class QLabel;
class QVBoxLayout;
class SwitchButton;

namespace SENSORELEMENT {
enum EConnectionState { Connected = 0, NotConnected = 1 };
}

// Tile of one sensor input on the devices page: name, live value, the state of the connector
// pins and, for a relay output, a manual switch.
class SensorElement : public QWidget
{
    Q_OBJECT
public:
    explicit SensorElement(QWidget *parent = nullptr);

    static constexpr int PinCount = 4;
    // Status polls that leave a relay switch alone after the user moved it, so the reported
    // state does not flip it back before the controller has switched.
    static constexpr int SwitchHoldPolls = 5;

    int sensorNumber = 0;  // 1..6
    int connectionState = SENSORELEMENT::NotConnected;
    QString name;
    QString valueText;
    int switchHoldTicks = 0;
    SensorTypeInfo typeInfo;            // copy of the catalogue row of the current type
    QList<SensorTypeInfo> typeList;     // rows selectable on this input

    QFrame *mainFrame;
    QFrame *topFrame;
    QFrame *stateFrame;
    QFrame *pinFrame;
    QList<QLabel *> pinStatusLabels;    // pinStatusLabel_1 .. pinStatusLabel_4
    QLabel *sensorNameLabel;
    QLabel *sensorDataLabel;
    SwitchButton *powerButton;

signals:
    void setBlurEffect(bool on);

public slots:
    void setSensorNumber(int number);
    void setSensorName(const QString &name);
    void setConnectionState(int state);
    void setValueText(const QString &text);
    void setTypeList(const QList<SensorTypeInfo> &types);
    // Shown only while the input is a relay output.
    void setSwitchVisible(bool visible);
    // The relay's reported output level: 100 is on. Ignored while the user's last switch is held.
    void takeRelayLevel(quint32 level);
    void openSensorSettings();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void onPowerButtonClicked();
    QVBoxLayout *m_topLayout;
};
