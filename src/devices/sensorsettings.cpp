#include "devices/sensorsettings.h"

#include "widgets/theme.h"
#include "devices/namefield.h"
#include "link/requests.h"
#include "model/controllerstate.h"
#include "model/plan/sensoredit.h"
#include "widgets/infonote.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString PinOk = QStringLiteral(":/pict/sensorConnectionOk.svg");
const QString PinFail = QStringLiteral(":/pict/sensorConnectionFail.svg");

QLabel *captionLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setProperty("role", QStringLiteral("caption"));
    return label;
}

} // namespace

SensorSettings::SensorSettings(QWidget *parent)
    : QDialog(parent),
      nameEdit(new QLineEdit),
      sensorTypeComboBox(new QComboBox),
      resetcal(new QPushButton(QStringLiteral("Сбросить калибровку"))),
      cancelButton(new QPushButton(QStringLiteral("Отмена"))),
      saveButton(new QPushButton(QStringLiteral("Сохранить"))),
      refreshTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("SensorSettings"));
    QFrame *frame = Theme::dialogFrame(this, QStringLiteral("Калибровка датчика"));
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    auto *title = new QLabel(QStringLiteral("Калибровка датчика"), frame);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setProperty("role", QStringLiteral("title"));
    nameEdit->setObjectName(QStringLiteral("nameEdit"));
    nameEdit->setAccessibleName(QStringLiteral("Имя датчика"));
    sensorTypeComboBox->setObjectName(QStringLiteral("sensorTypeComboBox"));
    sensorTypeComboBox->setMinimumWidth(440);
    resetcal->setObjectName(QStringLiteral("resetcal"));
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    saveButton->setObjectName(QStringLiteral("saveButton"));
    for (QPushButton *button : {resetcal, cancelButton, saveButton})
        button->setAutoDefault(false);

    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(10);
    layout->addWidget(title);
    layout->addWidget(captionLabel(QStringLiteral("ИМЯ ДАТЧИКА"), frame));
    layout->addWidget(nameEdit);
    layout->addWidget(captionLabel(QStringLiteral("ТИП ДАТЧИКА"), frame));
    layout->addWidget(sensorTypeComboBox);

    auto *pins = new QGridLayout;
    pins->setHorizontalSpacing(14);
    for (int pin = 1; pin <= PinCount; ++pin) {
        auto *status = new QLabel(frame);
        status->setObjectName(QStringLiteral("pinStatusLabel_%1").arg(pin));
        status->setFixedSize(18, 18);
        auto *name = new QLabel(frame);
        name->setObjectName(QStringLiteral("pinNameLabel_%1").arg(pin));
        name->setAlignment(Qt::AlignCenter);
        name->setMinimumWidth(100);
        pins->addWidget(status, 0, pin - 1, Qt::AlignHCenter);
        pins->addWidget(name, 1, pin - 1);
        pinStatusLabels.append(status);
        pinNameLabels.append(name);
    }
    layout->addLayout(pins);

    for (int n = 1; n <= ValueCount; ++n)
        layout->addWidget(buildValueFrame(n, frame));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(resetcal);
    buttons->addStretch(1);
    buttons->addWidget(cancelButton);
    buttons->addWidget(saveButton);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    for (QWidget *w : {static_cast<QWidget *>(nameEdit), static_cast<QWidget *>(sensorTypeComboBox),
                       static_cast<QWidget *>(resetcal), static_cast<QWidget *>(cancelButton),
                       static_cast<QWidget *>(saveButton)})
        w->setParent(frame);

    limitNameField(nameEdit);
    nameEdit->setFocus();
    connect(sensorTypeComboBox, &QComboBox::activated, this, [this](int item) {
        showTypeRow(sensorTypeComboBox->itemData(item).value<SensorTypeInfo>());
    });
    connect(saveButton, &QPushButton::clicked, this, &SensorSettings::on_saveButton_clicked);
    connect(cancelButton, &QPushButton::clicked, this, &SensorSettings::on_cancelButton_clicked);
    connect(resetcal, &QPushButton::released, this, &SensorSettings::on_resetcal_released);
    refreshTimer->setInterval(RefreshMs);
    connect(refreshTimer, &QTimer::timeout, this, &SensorSettings::refreshValues);
    refreshTimer->start();
}

QFrame *SensorSettings::buildValueFrame(int number, QWidget *parent)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(QStringLiteral("sensorDataFrame_%1").arg(number));
    frame->setProperty("role", QStringLiteral("value"));
    auto *prefix = new QLabel(frame);
    prefix->setObjectName(QStringLiteral("sensorDataPrefixLabel_%1").arg(number));
    prefix->setProperty("role", QStringLiteral("caption"));
    auto *current = new QLineEdit(frame);
    current->setObjectName(QStringLiteral("sensorDataCurValEdit_%1").arg(number));
    current->setReadOnly(true);
    current->setFocusPolicy(Qt::NoFocus);
    auto *update = new QLineEdit(frame);
    update->setObjectName(QStringLiteral("sensorDataUpdateValEdit_%1").arg(number));
    current->setAccessibleName(QStringLiteral("Мгновенное значение %1").arg(number));
    update->setAccessibleName(QStringLiteral("Уточненное значение %1").arg(number));

    auto *grid = new QGridLayout(frame);
    grid->setContentsMargins(14, 10, 14, 12);
    grid->addWidget(prefix, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Мгновенное значение"), frame), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Уточненное значение"), frame), 1, 1);
    grid->addWidget(current, 2, 0);
    grid->addWidget(update, 2, 1);

    // A point is the decimal separator whatever the locale; what does not parse is dropped
    // from the end. A typed comma is taken as the point: dropped, the next digit would turn
    // 12,5 into 125.
    connect(update, &QLineEdit::textChanged, update, [update](const QString &text) {
        QString cleaned = text;
        cleaned.replace(QLatin1Char(','), QLatin1Char('.'));
        cleaned = cleanRefinedText(cleaned);
        if (cleaned != text)
            update->setText(cleaned);
    });

    sensorDataFrames.append(frame);
    sensorDataPrefixLabels.append(prefix);
    curValEdits.append(current);
    updateValEdits.append(update);
    frame->hide();
    return frame;
}

void SensorSettings::setSensorName(const QString &name)
{
    nameEdit->setText(name);
}

QString SensorSettings::sensorName() const
{
    return nameEdit->text();
}

void SensorSettings::setTypeList(const QList<SensorTypeInfo> &types)
{
    m_typeList = types;
    sensorTypeComboBox->clear();
    for (const SensorTypeInfo &row : types)
        sensorTypeComboBox->addItem(row.name, QVariant::fromValue(row));
}

void SensorSettings::showTypeRow(const SensorTypeInfo &row)
{
    m_shownType = row;
    for (QFrame *frame : std::as_const(sensorDataFrames))
        frame->hide();
    int item = sensorTypeComboBox->findText(row.name, Qt::MatchExactly);
    // A type the controller has but the input does not offer (a relay output) is still shown, so
    // that saving a new name does not switch the input off.
    if (item < 0 && row.code != SensorOff && !row.name.isEmpty()) {
        sensorTypeComboBox->addItem(row.name, QVariant::fromValue(row));
        item = sensorTypeComboBox->count() - 1;
    }
    if (item >= 0)
        sensorTypeComboBox->setCurrentIndex(item);
    for (int pin = 0; pin < PinCount; ++pin) {
        const QString pinName = pin < row.pinNames.size() ? row.pinNames.at(pin) : QString();
        pinNameLabels.at(pin)->setText(pinName);
        const QString picture = pinName.isEmpty() ? PinFail : PinOk;
        pinStatusLabels.at(pin)->setProperty("picture", picture);
        pinStatusLabels.at(pin)->setStyleSheet(QStringLiteral("border-image: url(%1);").arg(picture));
    }
    // The "off" row names one empty value: no frame for it.
    const int values = row.code == SensorOff ? 0 : int(qMin(row.valueNames.size(), qsizetype(ValueCount)));
    for (int j = 0; j < values; ++j) {
        const QString unit = j < row.units.size() ? row.units.at(j) : QString();
        sensorDataPrefixLabels.at(j)->setText(QStringLiteral("%1, %2").arg(row.valueNames.at(j).toUpper(), unit));
        sensorDataFrames.at(j)->show();
    }
    adjustSize();
}

bool SensorSettings::showsOpenedType() const
{
    return m_shownType.name == m_openedTypeName;
}

void SensorSettings::refreshValues()
{
    const QList<SensorSlot> &sensors = controllerState().sensors;
    const bool live = showsOpenedType() && m_editedSensor >= 0 && m_editedSensor < sensors.size()
        && sensors.at(m_editedSensor).type != SensorOff;
    if (!live) {
        for (int j = 0; j < ValueCount; ++j) {
            curValEdits.at(j)->clear();
            updateValEdits.at(j)->clear();
        }
        return;
    }
    const QStringList &texts = sensors.at(m_editedSensor).valueTexts;
    for (int j = 0; j < ValueCount && j < texts.size(); ++j) {
        if (curValEdits.at(j)->text() != texts.at(j))
            curValEdits.at(j)->setText(texts.at(j));
    }
}

SensorEdit SensorSettings::buildSection()
{
    const int type = sensorTypeCodeByName(sensorTypeComboBox->currentText());
    const SensorEdit result = rebuildSensor(controllerState(), m_editedSensor, type, nameEdit->text());
    switch (result) {
    case SensorEdit::Built:
        requestEditorRefresh();
        break;
    case SensorEdit::InUse:
        showInUseNote();
        break;
    case SensorEdit::OutOfChannels:
        showNote(parentWidget() ? parentWidget()->window() : nullptr, QStringLiteral("Ошибка! Не хватает памяти"),
                 NoteClose::Popup, 10);
        break;
    case SensorEdit::Disconnected:
    case SensorEdit::BadIndex:
        break;
    }
    return result;
}

void SensorSettings::showInUseNote()
{
    const QStringList names = scenariosUsingSensor(controllerState(), m_editedSensor);
    QStringList quoted;
    for (const QString &name : names)
        quoted << QStringLiteral("«%1»").arg(name.toHtmlEscaped());
    const QString where = quoted.size() == 1 ? QStringLiteral("сценария ") + quoted.first()
                                             : QStringLiteral("сценариев ") + quoted.join(QStringLiteral(", "));
    const QString text = QStringLiteral("Данный датчик используется в условиях %1<p>Изменения не будут сохранены").arg(where);
    // Shown once this dialog is gone: the note belongs to the window behind it.
    QWidget *target = parentWidget() ? parentWidget()->window() : nullptr;
    QTimer::singleShot(0, target ? static_cast<QObject *>(target) : qApp, [target, text] {
        showNote(target, text, NoteClose::Popup, 10);
    });
}

void SensorSettings::on_saveButton_clicked()
{
    ControllerState &state = controllerState();
    if (m_editedSensor >= 0 && m_editedSensor < state.sensors.size()) {
        SensorSlot &sensor = state.sensors[m_editedSensor];
        const QList<CalibrationEntry> before = sensor.calibration;
        const std::optional<float> refined1 = parseRefinedValue(updateValEdits.at(0)->text());
        const std::optional<float> refined2 = parseRefinedValue(updateValEdits.at(1)->text());
        if ((refined1 || refined2) && showsOpenedType())
            applyRefinedValues(sensor, m_shownType.code, refined1, refined2);
        const SensorEdit result = buildSection();
        // A refused change keeps the calibration too.
        if (result == SensorEdit::InUse || result == SensorEdit::OutOfChannels)
            state.sensors[m_editedSensor].calibration = before;
    }
    accept();
}

void SensorSettings::on_cancelButton_clicked()
{
    reject();
}

void SensorSettings::on_resetcal_released()
{
    ControllerState &state = controllerState();
    if (!showsOpenedType() || m_editedSensor < 0 || m_editedSensor >= state.sensors.size()
        || state.sensors.at(m_editedSensor).calibration.isEmpty())
        return;
    const QList<CalibrationEntry> before = state.sensors.at(m_editedSensor).calibration;
    state.sensors[m_editedSensor].calibration.clear();
    const SensorEdit result = buildSection();
    if (result == SensorEdit::InUse || result == SensorEdit::OutOfChannels)
        state.sensors[m_editedSensor].calibration = before;
    reject();
}
