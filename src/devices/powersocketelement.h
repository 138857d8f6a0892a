#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;
class SwitchButton;

namespace POWERSOCKETELEMENT {
enum EPowerSocketStatus { NotConnected = 0, On = 1, Off = 2 };
}

// Tile of one power socket on the devices page: picture, name, rated power, a manual switch and
// the way into the socket's settings.
class PowerSocketElement : public QWidget
{
    Q_OBJECT
public:
    explicit PowerSocketElement(QWidget *parent = nullptr);

    QString name;  // empty until the user or the controller gives one
    int portNumber = 0;
    POWERSOCKETELEMENT::EPowerSocketStatus status = POWERSOCKETELEMENT::NotConnected;

    // The name as the tile shows it: the given name, else "Порт n".
    QString displayName() const;

    QFrame *mainFrame;
    QLabel *powerSocketPixmapLabel;
    SwitchButton *powerButton;
    QPushButton *settingsButton;
    QLabel *powerSocketNameLabel;
    QLabel *powerlabel;

signals:
    void setBlurEffect(bool on);

public slots:
    void setPowerSocketName(const QString &name);
    void setPowerSocketPortNumber(int port);
    void setPowerSocketStatus(POWERSOCKETELEMENT::EPowerSocketStatus status);
    void openPowerSocketSettings();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool m_styled = false;  // the look of `status` has been applied
    void onPowerButtonClicked();
    void refreshNameLabel();
    void showSwitchOfStatus();
};
