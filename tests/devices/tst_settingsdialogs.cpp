#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "devices/powersocketsettings.h"
#include "devices/sensorsettings.h"
#include "windowfixture.h"
#include "devicesfixture.h"
#include "model/plan/sensoredit.h"

using namespace DevicesFixture;
using namespace Qt::StringLiterals;

namespace {

// A dialog for sensor `index` as the tile opens it.
std::unique_ptr<SensorSettings> openedDialog(int index)
{
    auto dialog = std::make_unique<SensorSettings>();
    const SensorTypeInfo row = sensorTypeInfo(controllerState().sensors[index].type);
    dialog->setEditedSensor(index);
    dialog->setSensorName(defaultSensorName(index));
    dialog->setTypeList(selectableTypes(index));
    dialog->showTypeRow(row);
    dialog->setOpenedTypeName(row.name);
    return dialog;
}

void chooseType(SensorSettings *dialog, int code)
{
    const int item = dialog->sensorTypeComboBox->findText(sensorTypeInfo(code).name);
    QVERIFY(item >= 0);
    dialog->sensorTypeComboBox->setCurrentIndex(item);
    emit dialog->sensorTypeComboBox->activated(item);
}

} // namespace

// The socket and sensor settings dialogs against the program-wide state.
class TestSettingsDialogs : public QObject
{
    Q_OBJECT
private slots:
    void init() { resetAtFixedTime(); }
    void cleanup() { closeNotes(); }

    void socketDialogAcceptsByReturnAndCancels()
    {
        PowerSocketSettings dialog(u"Лампа"_s);
        QCOMPARE(dialog.nameEdit->text(), u"Лампа"_s);
        dialog.nameEdit->setText(u"Лампа 2"_s);
        QTest::keyClick(dialog.nameEdit, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.name, u"Лампа 2"_s);

        PowerSocketSettings cancelled(u"Лампа"_s);
        cancelled.nameEdit->setText(u"x"_s);
        cancelled.cancelButton->click();
        QCOMPARE(cancelled.result(), int(QDialog::Rejected));
        QCOMPARE(cancelled.name, u"Лампа"_s);
    }

    void nameFieldsKeepWhatTheImageStores_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("short") << u"Полив"_s << u"Полив"_s;
        QTest::newRow("255 bytes exactly") << QString(255, u'a') << QString(255, u'a');
        // two-byte letters: 127 of them fit, the 128th would be split
        QTest::newRow("cut at a character") << QString(200, QChar(0x0436)) << QString(127, QChar(0x0436));
    }
    void nameFieldsKeepWhatTheImageStores()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        PowerSocketSettings socket(QString{});
        socket.nameEdit->setText(typed);
        QCOMPARE(socket.nameEdit->text(), kept);
        socket.acceptButton->click();
        QCOMPARE(socket.name, kept);

        auto sensor = openedDialog(0);
        sensor->nameEdit->setText(typed);
        QCOMPARE(sensor->nameEdit->text(), kept);
    }

    void typeRowShowsPinsAndValues_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QList<bool>>("pinsUsed");
        QTest::newRow("off") << 0 << QStringList{} << QList<bool>{false, false, false, false};
        QTest::newRow("temperature") << 1 << QStringList{u"ТЕМПЕРАТУРА, °C"_s} << QList<bool>{false, true, true, true};
        QTest::newRow("climate") << 2 << QStringList{u"ВЛАЖНОСТЬ, %"_s, u"ТЕМПЕРАТУРА, °C"_s}
                                 << QList<bool>{true, false, true, true};
        QTest::newRow("contact") << 3 << QStringList{u"СОСТОЯНИЕ, "_s} << QList<bool>{false, false, true, true};
    }
    void typeRowShowsPinsAndValues()
    {
        QFETCH(int, type);
        QFETCH(QStringList, captions);
        QFETCH(QList<bool>, pinsUsed);
        // start from another type so that what the first row showed must go
        controllerState().sensors[0].type = type == 2 ? 1 : 2;
        auto dialog = openedDialog(0);
        chooseType(dialog.get(), type);
        QCOMPARE(dialog->shownType(), sensorTypeInfo(type));
        QCOMPARE(dialog->sensorTypeComboBox->currentText(), sensorTypeInfo(type).name);
        for (int pin = 0; pin < 4; ++pin) {
            auto *status = dialog->findChild<QLabel *>(u"pinStatusLabel_%1"_s.arg(pin + 1));
            auto *name = dialog->findChild<QLabel *>(u"pinNameLabel_%1"_s.arg(pin + 1));
            QVERIFY(status && name);
            QCOMPARE(name->text(), sensorTypeInfo(type).pinNames.at(pin));
            QCOMPARE(status->property("picture").toString(),
                     pinsUsed.at(pin) ? u":/pict/sensorConnectionOk.svg"_s : u":/pict/sensorConnectionFail.svg"_s);
        }
        for (int n = 1; n <= 3; ++n) {
            auto *frame = dialog->findChild<QFrame *>(u"sensorDataFrame_%1"_s.arg(n));
            QVERIFY(frame);
            QCOMPARE(!frame->isHidden(), n <= captions.size());
            if (n <= captions.size())
                QCOMPARE(frame->findChild<QLabel *>(u"sensorDataPrefixLabel_%1"_s.arg(n))->text(), captions.at(n - 1));
        }
    }

    void typeSelectorOffersTheSelectableTypes()
    {
        auto dialog = openedDialog(3);
        QStringList names;
        for (int i = 0; i < dialog->sensorTypeComboBox->count(); ++i)
            names << dialog->sensorTypeComboBox->itemText(i);
        QStringList expected;
        for (int code : {0, 1, 2, 3, 5})
            expected << sensorTypeInfo(code).name;
        QCOMPARE(names, expected);
    }

    // The relay output is offered on no input, yet renaming it must not switch it off.
    void relayOutputKeepsItsType()
    {
        setSensor(3, SensorRelayOutput, {8});
        controllerState().usedChannels[8] = 1;
        auto dialog = openedDialog(3);
        QCOMPARE(dialog->sensorTypeComboBox->currentText(), sensorTypeInfo(SensorRelayOutput).name);
        dialog->nameEdit->setText(u"Насос"_s);
        dialog->saveButton->click();
        QCOMPARE(controllerState().sensors[3].type, int(SensorRelayOutput));
        QCOMPARE(controllerState().sensors[3].channels, QList<int>{8});
        QCOMPARE(controllerState().sensors[3].name, u"Насос"_s);
        QCOMPARE(controllerState().usedChannels[8], 1);
    }

    void refinedValueIsCleanedWhileTyping()
    {
        setSensor(0, 1, {4});
        auto dialog = openedDialog(0);
        QLineEdit *refined = dialog->findChild<QLineEdit *>(u"sensorDataUpdateValEdit_1"_s);
        QVERIFY(refined);
        // typed key by key, a dropped comma would make 125 of 12,5
        QTest::keyClicks(refined, u"12,5"_s);
        QCOMPARE(refined->text(), u"12.5"_s);
        refined->clear();
        refined->setText(u"12;5"_s);
        QCOMPARE(refined->text(), u"12"_s);
        refined->clear();
        QTest::keyClicks(refined, u"-1.5x"_s);
        QCOMPARE(refined->text(), u"-1.5"_s);
    }

    void liveValuesFollowOnlyTheOpenedType()
    {
        setSensor(0, 2, {4, 5});
        controllerState().sensors[0].valueTexts = {u"61.2"_s, u"24.5"_s};
        auto dialog = openedDialog(0);
        dialog->refreshValues();
        QCOMPARE(dialog->curValEdits.at(0)->text(), u"61.2"_s);
        QCOMPARE(dialog->curValEdits.at(1)->text(), u"24.5"_s);
        controllerState().sensors[0].valueTexts = {u"61.0"_s, u"24.7"_s};
        QTRY_COMPARE_WITH_TIMEOUT(dialog->curValEdits.at(1)->text(), u"24.7"_s, 1000);  // the 300 ms timer

        dialog->updateValEdits.at(0)->setText(u"60"_s);
        chooseType(dialog.get(), 1);
        dialog->refreshValues();
        QVERIFY(dialog->curValEdits.at(0)->text().isEmpty());
        QVERIFY(dialog->updateValEdits.at(0)->text().isEmpty());
    }

    void saveCalibratesAndRebuilds()
    {
        setSensor(1, 1, {6});
        controllerState().usedChannels[6] = 1;
        SensorSlot &sensor = controllerState().sensors[1];
        sensor.calibration = {CalibrationEntry{0, 0.5f}};
        sensor.valueTexts = {u"20"_s};
        auto dialog = openedDialog(1);
        dialog->nameEdit->setText(u"Корни"_s);
        dialog->updateValEdits.at(0)->setText(u"21.5"_s);
        dialog->saveButton->click();

        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(sensor.calibration.size(), 1);
        QCOMPARE(sensor.calibration.first().offset, 2.0f);
        QCOMPARE(sensor.name, u"Корни"_s);
        QVERIFY(sensor.section.contains(QByteArray::fromHex("1106000400000040")));  // 2.0f
        QVERIFY(controllerState().uploadRequest);
        QVERIFY(exchange().editorRefresh);
    }

    void saveWithAnotherTypeIgnoresRefinedValues()
    {
        setSensor(1, 1, {6});
        controllerState().usedChannels[6] = 1;
        controllerState().sensors[1].valueTexts = {u"20"_s};
        auto dialog = openedDialog(1);
        dialog->updateValEdits.at(0)->setText(u"25"_s);
        chooseType(dialog.get(), 2);
        dialog->saveButton->click();
        QCOMPARE(controllerState().sensors[1].type, 2);
        QCOMPARE(controllerState().sensors[1].channels, (QList<int>{6, 4}));
        QVERIFY(controllerState().sensors[1].calibration.isEmpty());
    }

    void resetCalibration_data()
    {
        QTest::addColumn<bool>("sameType");
        QTest::addColumn<bool>("reset");
        QTest::newRow("opened type") << true << true;
        QTest::newRow("another type shown") << false << false;
    }
    void resetCalibration()
    {
        QFETCH(bool, sameType);
        QFETCH(bool, reset);
        setSensor(1, 1, {6});
        controllerState().usedChannels[6] = 1;
        controllerState().sensors[1].calibration = {CalibrationEntry{0, 1.5f}};
        auto dialog = openedDialog(1);
        if (!sameType)
            chooseType(dialog.get(), 3);
        QTest::mouseClick(dialog->resetcal, Qt::LeftButton);
        QCOMPARE(controllerState().sensors[1].calibration.isEmpty(), reset);
        QCOMPARE(controllerState().uploadRequest, reset);
        if (reset) {
            QCOMPARE(dialog->result(), int(QDialog::Rejected));
            QVERIFY(controllerState().sensors[1].section.contains(QByteArray::fromHex("1106000012")));
        }
    }

    // The note names the scenarios whose conditions read the sensor, so the grower knows where
    // to remove them.
    void refusedWhileConditionsReadTheSensor_data()
    {
        QTest::addColumn<QStringList>("users");  // scenarios reading the sensor
        QTest::addColumn<QString>("where");
        QTest::newRow("one scenario") << QStringList{QStringLiteral("Рассада")} << QStringLiteral("сценария «Рассада»");
        QTest::newRow("two scenarios") << QStringList{QStringLiteral("Рассада"), QStringLiteral("Цветение")}
                                       << QStringLiteral("сценариев «Рассада», «Цветение»");
    }
    void refusedWhileConditionsReadTheSensor()
    {
        QFETCH(QStringList, users);
        QFETCH(QString, where);
        setSensor(0, 2, {4, 5});
        controllerState().usedChannels[4] = controllerState().usedChannels[5] = 1;
        Condition row;
        row.ref = 0;
        row.source = 5;
        Scenario idle;
        idle.name = QStringLiteral("Без датчика");
        controllerState().scenarios << idle;
        for (const QString &name : std::as_const(users)) {
            Scenario scenario;
            scenario.name = name;
            scenario.sockets[2].dayConditions << row;
            controllerState().scenarios << scenario;
        }
        controllerState().editedScenarios = controllerState().scenarios;
        auto dialog = openedDialog(0);
        chooseType(dialog.get(), 1);
        dialog->saveButton->click();
        QCOMPARE(controllerState().sensors[0].type, 2);
        QCOMPARE(controllerState().sensors[0].channels, (QList<int>{4, 5}));
        QVERIFY(!controllerState().uploadRequest);

        // told once the dialog is gone
        QTRY_VERIFY(currentNote());
        QCOMPARE(currentNote()->text(), u"Данный датчик используется в условиях "_s + where + u"<p>Изменения не будут сохранены"_s);
    }

    void outOfChannelIdsIsReportedAndChangesNothing()
    {
        ControllerState &state = controllerState();
        for (int id = 4; id < ControllerState::ChannelIdCount; ++id)
            state.usedChannels[id] = 1;
        setSensor(2, 1, {7});
        state.sensors[2].calibration = {CalibrationEntry{0, 1.0f}};
        state.sensors[2].valueTexts = {u"20"_s};
        state.sensors[2].section = QByteArray::fromHex("02");
        QWidget parent;
        auto dialog = openedDialog(2);
        dialog->setParent(&parent, dialog->windowFlags());
        chooseType(dialog.get(), 2);
        dialog->saveButton->click();
        QVERIFY(currentNote());
        QCOMPARE(currentNote()->text(), u"Ошибка! Не хватает памяти"_s);
        QCOMPARE(state.sensors[2].type, 1);
        QCOMPARE(state.sensors[2].channels, QList<int>{7});
        QCOMPARE(state.sensors[2].section, QByteArray::fromHex("02"));
        QCOMPARE(state.sensors[2].calibration.first().offset, 1.0f);
        QVERIFY(!state.uploadRequest);
        dialog->setParent(nullptr);
    }
};

QTEST_MAIN(TestSettingsDialogs)
#include "tst_settingsdialogs.moc"
