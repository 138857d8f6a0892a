#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "devicesfixture.h"
#include "devices/devicesform.h"
#include "devices/powersocketelement.h"
#include "devices/sensorelement.h"
#include "widgets/switchbutton.h"

using namespace DevicesFixture;
using namespace Qt::StringLiterals;

// The devices page as the exchange sequencer drives it: status records in, tiles and countdown out.
class TestDevicesForm : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetAtFixedTime(); }
    void cleanup()
    {
        closeNotes();
        MockClock::clear();
    }

    void tilesAndLookups()
    {
        {
            DevicesForm page;
            for (int port = 1; port <= 4; ++port) {
                auto *tile = page.findChild<PowerSocketElement *>(QStringLiteral("powerSocketWidget_%1").arg(port));
                QVERIFY(tile);
                QCOMPARE(page.socketTile(port), tile);
                QCOMPARE(tile->portNumber, port);
            }
            for (int n = 1; n <= 6; ++n) {
                auto *tile = page.findChild<SensorElement *>(QStringLiteral("sensorWidget_%1").arg(n));
                QVERIFY(tile);
                QCOMPARE(page.sensorTile(n), tile);
                QCOMPARE(tile->sensorNumber, n);
                // relay outputs are never offered on an input
                QCOMPARE(tile->typeList.size(), 5);
            }
            for (int bad : {0, 5, -1, 100})
                QVERIFY(!page.socketTile(bad));
            for (int bad : {0, 7, -1})
                QVERIFY(!page.sensorTile(bad));
            QVERIFY(page.startStopButton->isCheckable());
            QCOMPARE(page.startStopButton->text(), QStringLiteral("Начать работу"));
        }
    }

    void tileSignalsAreRelayed()
    {
        DevicesForm page;
        QSignalSpy blur(&page, &DevicesForm::setBlurEffect);
        emit page.socketTile(2)->setBlurEffect(true);
        emit page.sensorTile(6)->setBlurEffect(false);
        QCOMPARE(blur.count(), 2);
        QCOMPARE(blur.at(0).at(0).toBool(), true);
        QCOMPARE(blur.at(1).at(0).toBool(), false);

        QSignalSpy help(&page, &DevicesForm::helpRequested);
        QTest::mouseClick(page.helpButton, Qt::LeftButton);
        QCOMPARE(help.count(), 1);
        QCOMPARE(help.at(0).at(0).toInt(), 1);
    }

    void countdown_data()
    {
        QTest::addColumn<int>("cycleCount");
        QTest::addColumn<int>("dayHours");
        QTest::addColumn<int>("nightHours");
        QTest::addColumn<int>("dayNight");
        QTest::addColumn<int>("startInMinutes");  // start time relative to now
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("toStart");
        QTest::addColumn<int>("active");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("symbol");  // empty: hidden

        const QString day = QStringLiteral("border-image: url(:/pict/dayWorkIcon.svg);");
        const QString night = QStringLiteral("border-image: url(:/pict/nightWorkIcon.svg);");
        QTest::newRow("no work cycle") << 0 << 16 << 8 << 1 << -60 << 5 << 30 << 0 << 1
                                       << u"СЦЕНАРИЙ РАБОТЫ НЕ ЗАДАН"_s << QString();
        QTest::newRow("stopped") << 3 << 16 << 8 << 1 << -60 << 5 << 30 << 0 << 0
                                 << u"РАБОТА ОСТАНОВЛЕНА"_s << QString();
        QTest::newRow("before start") << 3 << 16 << 8 << 1 << 125 << 0 << 0 << 125 << 1
                                      << u"НАЧАЛО РАБОТЫ ЧЕРЕЗ 02:05"_s << QString();
        QTest::newRow("before start capped at 99 h") << 3 << 16 << 8 << 1 << 6000 << 0 << 0 << 6000 << 1
                                                     << u"НАЧАЛО РАБОТЫ ЧЕРЕЗ 99:00"_s << QString();
        QTest::newRow("24-bit count") << 3 << 16 << 8 << 0 << 0 << 0 << 0 << 0x010203 << 1
                                      << u"НАЧАЛО РАБОТЫ ЧЕРЕЗ 99:00"_s << QString();
        QTest::newRow("start still ahead by the local clock") << 3 << 16 << 8 << 1 << 30 << 0 << 0 << 0 << 1
                                                              << u"НАЧАЛО РАБОТЫ ЧЕРЕЗ 00:00"_s << QString();
        QTest::newRow("day phase") << 3 << 16 << 8 << 1 << -60 << 5 << 30 << 0 << 1
                                   << u"ОСТАЛОСЬ 10:30"_s << day;
        QTest::newRow("night phase") << 3 << 16 << 8 << 1 << -60 << 20 << 15 << 0 << 1
                                     << u"ОСТАЛОСЬ 03:45"_s << night;
        QTest::newRow("first minute of the night") << 3 << 16 << 8 << 1 << -60 << 16 << 0 << 0 << 1
                                                   << u"ОСТАЛОСЬ 08:00"_s << night;
        QTest::newRow("no day/night split: no symbol, hours above 23")
            << 3 << 24 << 0 << 0 << -60 << 0 << 0 << 0 << 1 << u"ОСТАЛОСЬ 24:00"_s << QString();
        QTest::newRow("hour past the cycle clamps to zero") << 3 << 16 << 0 << 1 << -60 << 23 << 59 << 0 << 1
                                                            << u"ОСТАЛОСЬ 00:00"_s << night;
    }
    void countdown()
    {
        QFETCH(int, cycleCount);
        QFETCH(int, dayHours);
        QFETCH(int, nightHours);
        QFETCH(int, dayNight);
        QFETCH(int, startInMinutes);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(int, toStart);
        QFETCH(int, active);
        QFETCH(QString, text);
        QFETCH(QString, symbol);

        ControllerState &state = controllerState();
        state.cycleCount = cycleCount;
        state.dayHours = dayHours;
        state.nightHours = nightHours;
        state.startTime = Now.addSecs(startInMinutes * 60);

        DevicesForm page;
        page.daysymena(dayNight);
        QCOMPARE(page.dayNightEnabled, dayNight);
        QCOMPARE(page.daystatesym->isHidden(), dayNight == 0);

        page.takeStatus(statusRecord(hour, minute, toStart, active));
        QCOMPARE(page.daytime->text(), text);
        QCOMPARE(page.daystatesym->isHidden(), symbol.isEmpty());
        if (!symbol.isEmpty())
            QCOMPARE(page.daystatesym->styleSheet(), symbol);
    }

    void liveValues_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QList<int>>("channels");
        QTest::addColumn<QList<float>>("floats");   // by position in channels (numeric types)
        QTest::addColumn<quint32>("word");          // first channel (contact, relay)
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("valueTexts");

        QTest::newRow("1-wire") << 1 << QList<int>{4} << QList<float>{23.5f} << 0u
                                << u"Температура 23.5°C"_s << QStringList{u"23.5"_s};
        QTest::newRow("humidity first") << 2 << QList<int>{7, 6} << QList<float>{61.25f, 24.1f} << 0u
                                        << u"Влажность 61.25%<p>Температура 24.1°C"_s
                                        << QStringList{u"61.25"_s, u"24.1"_s};
        QTest::newRow("six significant digits") << 5 << QList<int>{19} << QList<float>{1234.5678f} << 0u
                                                << u"Напряжение 1234.57мВ"_s << QStringList{u"1234.57"_s};
        QTest::newRow("large value in exponent form") << 5 << QList<int>{9} << QList<float>{12345678.0f} << 0u
                                                      << u"Напряжение 1.23457e+07мВ"_s
                                                      << QStringList{u"1.23457e+07"_s};
        QTest::newRow("negative") << 1 << QList<int>{4} << QList<float>{-5.0f} << 0u
                                  << u"Температура -5°C"_s << QStringList{u"-5"_s};
        QTest::newRow("two-channel type with one channel id")
            << 2 << QList<int>{8} << QList<float>{55.0f} << 0u << u"Влажность 55%"_s << QStringList{u"55"_s};
        QTest::newRow("contact open") << 3 << QList<int>{8} << QList<float>{} << 1u << u"Разомкнут"_s
                                      << QStringList{u"old"_s};
        QTest::newRow("contact closed") << 3 << QList<int>{8} << QList<float>{} << 0u << u"Замкнут"_s
                                        << QStringList{u"old"_s};
        QTest::newRow("off shows nothing") << 0 << QList<int>{} << QList<float>{} << 0u << QString()
                                           << QStringList{u"old"_s};
        QTest::newRow("relay shows no text") << 4 << QList<int>{10} << QList<float>{} << 100u << QString()
                                             << QStringList{u"old"_s};
        QTest::newRow("channel id beyond the record") << 1 << QList<int>{200} << QList<float>{} << 0u
                                                      << u"Температура 0°C"_s << QStringList{u"0"_s};
        QTest::newRow("unknown type") << 9 << QList<int>{4} << QList<float>{} << 7u << QString()
                                      << QStringList{u"old"_s};
    }
    void liveValues()
    {
        QFETCH(int, type);
        QFETCH(QList<int>, channels);
        QFETCH(QList<float>, floats);
        QFETCH(quint32, word);
        QFETCH(QString, text);
        QFETCH(QStringList, valueTexts);

        const int index = 2;
        setSensor(index, type, channels);
        controllerState().sensors[index].valueTexts = {u"old"_s};
        DevicesForm page;
        SensorElement *tile = page.sensorTile(index + 1);
        tile->setConnectionState(SENSORELEMENT::Connected);
        tile->setValueText(u"stale"_s);

        QByteArray record = statusRecord();
        for (int j = 0; j < floats.size(); ++j)
            putFloat(record, channels.at(j), floats.at(j));
        if (floats.isEmpty() && !channels.isEmpty() && channels.first() < 32)
            putWord(record, channels.first(), word);
        page.takeStatus(record);

        QCOMPARE(tile->valueText, text);
        QCOMPARE(tile->sensorDataLabel->text(), text);
        QCOMPARE(tile->sensorDataLabel->isHidden(), text.isEmpty());
        QCOMPARE(controllerState().sensors[index].valueTexts, valueTexts);
    }

    void relaySwitchFollowsLevelUnlessHeld()
    {
        setSensor(0, SensorRelayOutput, {9});
        DevicesForm page;
        page.updateRelaySwitches();
        SensorElement *tile = page.sensorTile(1);
        QVERIFY(!tile->powerButton->isHidden());

        QByteArray on = statusRecord();
        putWord(on, 9, 100);
        QByteArray other = statusRecord();
        putWord(other, 9, 50);
        page.takeStatus(on);
        QVERIFY(tile->powerButton->isOn());
        page.takeStatus(other);  // only exactly 100 is on
        QVERIFY(!tile->powerButton->isOn());

        // The user switches it on while paused; the controller still reports off for a while.
        exchange().startStopChecked = RunRequest::Paused;
        click(tile->powerButton);
        QCOMPARE(exchange().switchOnRequest, 5);
        QCOMPARE(tile->switchHoldTicks, 5);
        for (int poll = 5; poll > 0; --poll) {
            page.takeStatus(other);
            QVERIFY(tile->powerButton->isOn());
            QCOMPARE(tile->switchHoldTicks, poll - 1);
        }
        page.takeStatus(other);
        QVERIFY(!tile->powerButton->isOn());
    }

    void pendingSwitchKeepsSocketStates_data()
    {
        QTest::addColumn<int>("onRequest");
        QTest::addColumn<int>("offRequest");
        QTest::newRow("none pending") << 0 << 0;
        QTest::newRow("on pending") << 2 << 0;
        QTest::newRow("off pending") << 0 << 8;
    }
    void pendingSwitchKeepsSocketStates()
    {
        QFETCH(int, onRequest);
        QFETCH(int, offRequest);
        DevicesForm page;
        QByteArray record = statusRecord();
        putWord(record, 0, 100);
        putWord(record, 2, 1);
        page.takeStatus(record);
        const QList<int> before{page.socketTile(1)->status, page.socketTile(2)->status,
                                page.socketTile(3)->status, page.socketTile(4)->status};
        QCOMPARE(before, (QList<int>{1, 2, 1, 2}));

        exchange().switchOnRequest = onRequest;
        exchange().switchOffRequest = offRequest;
        page.takeStatus(statusRecord());  // everything off
        const bool pending = onRequest || offRequest;
        for (int port = 1; port <= 4; ++port)
            QCOMPARE(int(page.socketTile(port)->status), pending ? before.at(port - 1) : 2);
    }

    void shortRecordsNeverCrash_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("socket1");
        QTest::addColumn<QString>("sensorText");

        QTest::newRow("empty") << QByteArray() << u"РАБОТА ОСТАНОВЛЕНА"_s << 2 << u"Температура 0°C"_s;
        QTest::newRow("flags only") << QByteArray(1, '\x04') << u"РАБОТА ОСТАНОВЛЕНА"_s << 2
                                    << u"Температура 0°C"_s;
        // minutes to start cut after its first byte, work active byte missing
        QTest::newRow("cut in the timing bytes") << QByteArray::fromHex("00051e0a") << u"РАБОТА ОСТАНОВЛЕНА"_s
                                                 << 2 << u"Температура 0°C"_s;
        QTest::newRow("cut after the active byte") << QByteArray::fromHex("00051e000000ff")
                                                   << u"ОСТАЛОСЬ 10:30"_s << 2 << u"Температура 0°C"_s;
        // the first socket's word is cut after one byte: the missing bytes read as 0
        QTest::newRow("cut in the first channel") << QByteArray::fromHex("00051e000000ff00000000000000000001")
                                                  << u"ОСТАЛОСЬ 10:30"_s << 1 << u"Температура 0°C"_s;
        QByteArray upToSensor = statusRecord(5, 30);
        putFloat(upToSensor, 4, 21.5f);
        upToSensor.truncate(16 + 4 * 5);
        QTest::newRow("cut after the sensor channel") << upToSensor << u"ОСТАЛОСЬ 10:30"_s << 2
                                                      << u"Температура 21.5°C"_s;
        QByteArray oversized = statusRecord(5, 30);
        putFloat(oversized, 4, 21.5f);
        oversized.append(QByteArray(5000, '\xAB'));
        QTest::newRow("oversized") << oversized << u"ОСТАЛОСЬ 10:30"_s << 2 << u"Температура 21.5°C"_s;
    }
    void shortRecordsNeverCrash()
    {
        QFETCH(QByteArray, record);
        QFETCH(QString, text);
        QFETCH(int, socket1);
        QFETCH(QString, sensorText);

        ControllerState &state = controllerState();
        state.cycleCount = 10;
        state.dayHours = 16;
        state.nightHours = 8;
        state.startTime = Now.addDays(-1);
        setSensor(0, SensorOneWireTemperature, {4});
        setSensor(1, SensorTemperatureHumidity, {18, 19});
        setSensor(2, SensorContact, {-3});
        setSensor(3, SensorRelayOutput, {});
        setSensor(4, SensorVoltage, {255, 100000});
        DevicesForm page;
        page.takeStatus(record);
        QCOMPARE(page.daytime->text(), text);
        QCOMPARE(int(page.socketTile(1)->status), socket1);
        QCOMPARE(page.sensorTile(1)->valueText, sensorText);
        QCOMPARE(page.sensorTile(3)->valueText, u"Замкнут"_s);
    }

    void resetAndDecodedSections()
    {
        DevicesForm page;
        page.sensorTile(2)->setSensorName(u"old"_s);
        page.sensorTile(2)->setConnectionState(SENSORELEMENT::Connected);
        page.socketTile(4)->setPowerSocketName(u"Лампа"_s);
        page.socketTile(4)->setPowerSocketStatus(POWERSOCKETELEMENT::On);

        page.resetTiles();
        for (int n = 1; n <= 6; ++n) {
            QCOMPARE(page.sensorTile(n)->sensorNameLabel->text(), QStringLiteral("Датчик %1").arg(n));
            QCOMPARE(page.sensorTile(n)->connectionState, 1);
        }
        for (int port = 1; port <= 4; ++port) {
            QCOMPARE(int(page.socketTile(port)->status), 2);
            QCOMPARE(page.socketTile(port)->powerSocketNameLabel->text(), QStringLiteral("Порт %1").arg(port));
        }

        ControllerState &state = controllerState();
        state.sensors[2].name = u"Теплица"_s;
        state.sockets[1].name = u"Полив"_s;
        page.applyDecodedSensor(2);
        page.applyDecodedSocket(1);
        page.applyDecodedSensor(6);   // out of range: ignored
        page.applyDecodedSocket(-1);
        QCOMPARE(page.sensorTile(3)->connectionState, 0);
        QCOMPARE(page.sensorTile(3)->sensorNameLabel->text(), u"Теплица"_s);
        QCOMPARE(page.socketTile(2)->powerSocketNameLabel->text(), u"Полив"_s);
        QCOMPARE(int(page.socketTile(2)->status), 2);

        state.sensors[1].type = SensorRelayOutput;
        state.sensors[4].type = SensorContact;
        page.updateRelaySwitches();
        for (int n = 1; n <= 6; ++n)
            QCOMPARE(page.sensorTile(n)->powerButton->isHidden(), n != 2);
    }

    void startStopButton()
    {
        DevicesForm page;
        QTest::mouseClick(page.startStopButton, Qt::LeftButton);
        QCOMPARE(exchange().startStopChecked, RunRequest::Running);
        QTest::mouseClick(page.startStopButton, Qt::LeftButton);
        QCOMPARE(exchange().startStopChecked, RunRequest::Paused);

        // The controller reports running: one click asks to pause, as the text says.
        exchange().startStopChecked = RunRequest::Running;
        page.setStartStopText(true);
        QCOMPARE(page.startStopButton->text(), u"Приостановить работу"_s);
        QTest::mouseClick(page.startStopButton, Qt::LeftButton);
        QCOMPARE(exchange().startStopChecked, RunRequest::Paused);

        page.setStartStopText(false);
        QCOMPARE(page.startStopButton->text(), u"Начать работу"_s);
        QTest::mouseClick(page.startStopButton, Qt::LeftButton);
        QCOMPARE(exchange().startStopChecked, RunRequest::Running);

        page.setStartStopVisible(false);
        QVERIFY(page.startStopButton->isHidden());
        page.setStartStopVisible(true);
        QVERIFY(!page.startStopButton->isHidden());
    }

    void typeListsGoToTheirTiles()
    {
        DevicesForm page;
        QList<QList<SensorTypeInfo>> lists;
        for (int input = 0; input < 3; ++input)
            lists.append(QList<SensorTypeInfo>{sensorTypeInfo(input + 1)});
        page.distributeTypeLists(lists);
        for (int n = 1; n <= 3; ++n)
            QCOMPARE(page.sensorTile(n)->typeList, QList<SensorTypeInfo>{sensorTypeInfo(n)});
        // inputs without a list keep theirs
        QCOMPARE(page.sensorTile(4)->typeList, selectableTypes(3));
    }
};

QTEST_MAIN(TestDevicesForm)
#include "tst_devicesform.moc"
