#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "widgets/theme.h"
#include "devicesfixture.h"
#include "devices/powersocketelement.h"
#include "devices/sensorelement.h"
#include "widgets/switchbutton.h"

using namespace DevicesFixture;
using namespace Qt::StringLiterals;
namespace PS = POWERSOCKETELEMENT;

// The socket and sensor tiles on their own: presentation, manual switching and their dialogs.
class TestDeviceTiles : public QObject
{
    Q_OBJECT

    static std::unique_ptr<PowerSocketElement> socketTile(int port, PS::EPowerSocketStatus status)
    {
        auto tile = std::make_unique<PowerSocketElement>();
        tile->setPowerSocketPortNumber(port);
        tile->setPowerSocketStatus(status);
        return tile;
    }

    static std::unique_ptr<SensorElement> sensorTile(int number)
    {
        auto tile = std::make_unique<SensorElement>();
        tile->setSensorNumber(number);
        return tile;
    }

private slots:
    void init() { resetAtFixedTime(); }
    void cleanup()
    {
        closeNotes();
        MockClock::clear();
    }

    void socketLabelText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::newRow("no name") << QString() << 2 << u"Порт 3"_s;
        QTest::newRow("no name, not connected") << QString() << 0 << u"Порт 3<p>Не подключен"_s;
        QTest::newRow("named") << u"Полив"_s << 1 << u"Полив"_s;
        QTest::newRow("named, not connected") << u"Полив"_s << 0 << u"Полив<p>Не подключен"_s;
        // a user's name is text, never markup
        QTest::newRow("markup in the name") << u"<b>A&B</b>"_s << 0 << u"&lt;b&gt;A&amp;B&lt;/b&gt;<p>Не подключен"_s;
    }
    void socketLabelText()
    {
        QFETCH(QString, name);
        QFETCH(int, status);
        QFETCH(QString, text);
        PowerSocketElement tile;
        tile.setPowerSocketStatus(PS::EPowerSocketStatus(status));
        tile.setPowerSocketName(name);
        tile.setPowerSocketPortNumber(3);  // the label follows a later port number too
        QCOMPARE(tile.powerSocketNameLabel->text(), text);
    }

    void socketStatusPresentation_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<QString>("border");
        QTest::addColumn<bool>("switchShown");
        QTest::addColumn<bool>("switchOn");
        QTest::addColumn<int>("cursor");
        QTest::newRow("on") << 1 << u":/pict/powerSocketOn.png"_s << Theme::css(Theme::Live)
                            << u"3px solid "_s + Theme::css(Theme::Shadow) << true << true << int(Qt::PointingHandCursor);
        QTest::newRow("off") << 2 << u":/pict/powerSocketOff.png"_s << Theme::css(Theme::Attention)
                             << u"3px solid "_s + Theme::css(Theme::Shadow) << true << false << int(Qt::PointingHandCursor);
        QTest::newRow("not connected") << 0 << u":/pict/powerSocketNotConnected_1.png"_s
                                       << Theme::css(Theme::MutedText) << u"2px solid "_s + Theme::css(Theme::TileEdge)
                                       << false << false << int(Qt::ForbiddenCursor);
    }
    void socketStatusPresentation()
    {
        QFETCH(int, status);
        QFETCH(QString, picture);
        QFETCH(QString, colour);
        QFETCH(QString, border);
        QFETCH(bool, switchShown);
        QFETCH(bool, switchOn);
        QFETCH(int, cursor);
        // start from a different state so every field has to change
        auto tile = socketTile(1, status == 1 ? PS::NotConnected : PS::On);
        tile->setPowerSocketStatus(PS::EPowerSocketStatus(status));
        QCOMPARE(tile->powerSocketPixmapLabel->property("picture").toString(), picture);
        QVERIFY(!tile->powerSocketPixmapLabel->pixmap().isNull());
        QVERIFY(tile->powerSocketNameLabel->styleSheet().contains(u"color: "_s + colour));
        QVERIFY(tile->mainFrame->styleSheet().contains(border));
        QCOMPARE(tile->powerButton->isHidden(), !switchShown);
        if (switchShown)
            QCOMPARE(tile->powerButton->isOn(), switchOn);
        QCOMPARE(int(tile->cursor().shape()), cursor);
    }

    void socketSwitchRequests()
    {
        auto tile = socketTile(3, PS::Off);
        click(tile->powerButton);
        QCOMPARE(exchange().switchOnRequest, 3);
        QCOMPARE(exchange().switchOffRequest, 0);
        // switched back before the tick sent it: the newest wish wins
        click(tile->powerButton);
        QCOMPARE(exchange().switchOnRequest, 0);
        QCOMPARE(exchange().switchOffRequest, 3);
        // another output's wish is left alone
        exchange().switchOnRequest = 1;
        click(tile->powerButton);
        QCOMPARE(exchange().switchOnRequest, 3);
        QCOMPARE(exchange().switchOffRequest, 0);
        QVERIFY(!currentNote());
    }

    void switchingRefusedWhileWorking_data()
    {
        QTest::addColumn<bool>("sensor");
        QTest::newRow("socket while the work runs") << false;
        QTest::newRow("relay while start is asked") << true;
    }
    void switchingRefusedWhileWorking()
    {
        QFETCH(bool, sensor);
        std::unique_ptr<QWidget> tile;
        SwitchButton *button = nullptr;
        if (sensor) {
            auto relay = sensorTile(2);  // startStopChecked is 4 after a reset
            relay->setSwitchVisible(true);
            button = relay->powerButton;
            tile = std::move(relay);
        } else {
            viewState().workRunning = 1;
            auto socket = socketTile(2, PS::Off);
            button = socket->powerButton;
            tile = std::move(socket);
        }

        click(button);
        QCOMPARE(exchange().switchOnRequest, 0);
        QCOMPARE(exchange().switchOffRequest, 0);
        QVERIFY(!button->isOn());  // the refused click is undone
        QVERIFY(currentNote());
        QCOMPARE(currentNote()->text(), u"Остановите работу контроллера"_s);
        QCOMPARE(currentNote()->flags, int(NoteClose::AfterTicks));
        QCOMPARE(currentNote()->ticksLeft, 20);

        // a second click opens no second note but shortens the shown one
        infonote *shown = currentNote();
        click(button);
        QCOMPARE(currentNote(), shown);
        QCOMPARE(openNotes(), 1);
        QCOMPARE(currentNote()->ticksLeft, 19);
        QCOMPARE(exchange().switchOnRequest, 0);
        if (sensor)
            QCOMPARE(static_cast<SensorElement *>(tile.get())->switchHoldTicks, 0);
    }

    void sensorConnectionState_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("pinPicture");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<QString>("valueAfter");
        QTest::newRow("connected") << 0 << u":/pict/sensorConnectionOk.svg"_s << Theme::css(Theme::Live)
                                   << u"Температура 20°C"_s;
        QTest::newRow("not connected") << 1 << u":/pict/sensorConnectionFail.svg"_s
                                       << Theme::css(Theme::MutedText) << QString();
    }
    void sensorConnectionState()
    {
        QFETCH(int, state);
        QFETCH(QString, pinPicture);
        QFETCH(QString, colour);
        QFETCH(QString, valueAfter);
        auto tile = sensorTile(4);
        QCOMPARE(tile->sensorNameLabel->text(), u"Не подключен"_s);
        QCOMPARE(tile->connectionState, 1);
        tile->setConnectionState(1 - state);
        tile->setValueText(u"Температура 20°C"_s);
        tile->setConnectionState(state);
        QCOMPARE(tile->pinStatusLabels.size(), 4);
        for (int pin = 1; pin <= 4; ++pin) {
            auto *label = tile->findChild<QLabel *>(QStringLiteral("pinStatusLabel_%1").arg(pin));
            QVERIFY(label);
            QVERIFY(label->styleSheet().contains(pinPicture));
        }
        QVERIFY(tile->sensorNameLabel->styleSheet().contains(u"color: "_s + colour));
        QCOMPARE(tile->valueText, valueAfter);
        QCOMPARE(tile->sensorDataLabel->isHidden(), valueAfter.isEmpty());
        QCOMPARE(int(tile->cursor().shape()), int(Qt::PointingHandCursor));
    }

    void socketSettingsDialog_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("stored");  // the socket's name in the state afterwards
        const QString longName(200, QChar(0x0436));  // 400 UTF-8 bytes
        QTest::newRow("accepted") << 1 << int(QDialog::Accepted) << u"Полив"_s << true << u"Полив"_s;
        QTest::newRow("cancelled") << 2 << int(QDialog::Rejected) << u"Полив"_s << true << u"old"_s;
        QTest::newRow("not connected: no dialog") << 0 << int(QDialog::Accepted) << u"Полив"_s << false << u"old"_s;
        // the image keeps a name's length in one byte: cut at a character boundary
        QTest::newRow("long name") << 2 << int(QDialog::Accepted) << longName << true << longName.left(127);
    }
    void socketSettingsDialog()
    {
        QFETCH(int, status);
        QFETCH(int, result);
        QFETCH(QString, name);
        QFETCH(bool, opens);
        QFETCH(QString, stored);
        auto tile = socketTile(2, PS::EPowerSocketStatus(status));
        tile->setPowerSocketName(name);
        controllerState().sockets[1].name = u"old"_s;
        QSignalSpy blur(tile.get(), &PowerSocketElement::setBlurEffect);
        Dialogs::scriptExecResult(result);

        QTest::mousePress(tile.get(), Qt::LeftButton, {}, QPoint(5, 5));
        if (opens) {
            QCOMPARE(blur.count(), 2);
            QCOMPARE(blur.at(0).at(0).toBool(), true);
            QCOMPARE(blur.at(1).at(0).toBool(), false);
        } else {
            QCOMPARE(blur.count(), 0);
        }
        const bool renamed = opens && result == QDialog::Accepted;
        QCOMPARE(controllerState().sockets[1].name, stored);
        QCOMPARE(controllerState().uploadRequest, renamed);
        if (renamed)
            QCOMPARE(tile->name, stored);
        QCOMPARE(tile->powerSocketNameLabel->text(),
                 status == 0 ? tile->name + u"<p>Не подключен"_s : tile->name);
    }

    void sensorSettingsDialogTakesTheCurrentType()
    {
        controllerState().sensors[4].type = SensorTemperatureHumidity;
        auto tile = sensorTile(5);
        QSignalSpy blur(tile.get(), &SensorElement::setBlurEffect);
        Dialogs::scriptExecResult(QDialog::Rejected);
        QTest::mousePress(tile.get(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(blur.count(), 2);
        QCOMPARE(blur.at(0).at(0).toBool(), true);
        QCOMPARE(blur.at(1).at(0).toBool(), false);
        QCOMPARE(tile->typeInfo, sensorTypeInfo(SensorTemperatureHumidity));

        // a right button does nothing
        QTest::mousePress(tile.get(), Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(blur.count(), 2);
    }
};

QTEST_MAIN(TestDeviceTiles)
#include "tst_devicetiles.moc"
