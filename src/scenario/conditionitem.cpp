#include "scenario/conditionitem.h"

#include "model/controllerstate.h"
#include "model/codec/sensorcatalogue.h"
#include "model/plan/socketprogramedit.h"
#include "model/plan/timertext.h"
#include "scenario/combowheelfilter.h"
#include "widgets/infonote.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <cmath>

namespace {

enum Field { ValueField, Value2Field, StartoneField, StarttimeField, DutyField, PauseField, CountField };

QString numberText(double v)
{
    return QString::number(v, 'g', 6);
}

// A threshold as typed; a decimal comma is read like a point.
double parseNumber(const QString &text, bool *ok)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    const double v = t.toDouble(ok);
    if (*ok && !std::isfinite(v))
        *ok = false;
    return *ok ? v : 0.0;
}

int cycleMinutes()
{
    return editedCycleMinutes(controllerState());
}

QLabel *makeLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QLineEdit *makeEdit(const QString &name, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMinimumHeight(30);
    return e;
}

} // namespace

ConditionItem::ConditionItem(QWidget *parent, int priorityLevels, int rowMode, int sensorType, const QList<double> &params)
    : QWidget(parent), m_rowMode(rowMode), m_sensorType(sensorType), m_levels(priorityLevels), m_params(params)
{
    if (m_rowMode == TimerRow)
        m_clockMode = cycleMinutes() == 24 * 60;
    buildForm();

    if (m_conditionComboBox && m_rowMode == SensorRow) {
        if (m_sensorType == SensorContact) {
            m_conditionComboBox->addItem(QStringLiteral("ЗАМКНУТ"), int(ConditionKind::Below));
            m_conditionComboBox->addItem(QStringLiteral("РАЗОМКНУТ"), int(ConditionKind::Above));
            m_valueEdit->setEnabled(false);
        } else {
            m_conditionComboBox->addItem(QStringLiteral("<МЕНЬШЕ"), int(ConditionKind::Below));
            m_conditionComboBox->addItem(QStringLiteral(">БОЛЬШЕ"), int(ConditionKind::Above));
            m_conditionComboBox->addItem(QStringLiteral("ИНТЕРВАЛ"), int(ConditionKind::Interval));
            m_valueEdit->setText(QStringLiteral("0.0"));
        }
        connect(m_conditionComboBox, &QComboBox::activated, this, &ConditionItem::kindChosen);
    }
    if (m_priorityComboBox) {
        // Not made editable for centred text: an editable combo box builds its pop-up at once,
        // which makes a table of rows several times slower to build.
        for (int i = 1; i <= m_levels; ++i) {
            QString text = QString::number(i);
            if (i == 1)
                text = QStringLiteral("1-Низкий");
            else if (i == m_levels)
                text += QStringLiteral("-Высокий");
            m_priorityComboBox->addItem(text, i);
        }
        connect(m_priorityComboBox, &QComboBox::activated, this,
                [this](int index) { emit priorityChanged(m_priorityComboBox->itemData(index).toInt()); });
    }
    if (m_rowMode == TimerRow)
        buildTimer();

    auto connectField = [this](QLineEdit *edit, int field, void (ConditionItem::*handler)()) {
        if (edit)
            connect(edit, &QLineEdit::editingFinished, this, [this, field, handler] { guarded(field, [this, handler] { (this->*handler)(); }); });
    };
    connectField(m_valueEdit, ValueField, &ConditionItem::valueEditFinished);
    connectField(m_valueEdit2, Value2Field, &ConditionItem::valueEdit2Finished);
    connectField(m_startone, StartoneField, &ConditionItem::startoneFinished);
    connectField(m_starttime, StarttimeField, &ConditionItem::starttimeFinished);
    connectField(m_dutytime, DutyField, &ConditionItem::dutytimeFinished);
    connectField(m_prdset, PauseField, &ConditionItem::prdsetFinished);
    connectField(m_nprd, CountField, &ConditionItem::nprdFinished);
}

// Only the fields a row's mode shows are made: a table holds many rows, and each widget costs
// time whenever an output or a scenario is shown.
void ConditionItem::buildForm()
{
    const bool sensor = m_rowMode == SensorRow;
    const bool timer = m_rowMode == TimerRow;
    const bool cycleTimer = timer && !m_clockMode;
    const bool clockTimer = timer && m_clockMode;
    const bool interval = sensor && m_sensorType != SensorContact;

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);

    if (cycleTimer) {
        m_tstlab = makeLabel(QStringLiteral("tstlab"), QStringLiteral("ЗАПУСК ОТ НАЧАЛА ЦИКЛА ЧЕРЕЗ"), this);
        m_starttime = makeEdit(QStringLiteral("starttime"), this);
        m_dlb = makeLabel(QStringLiteral("dlb"), QStringLiteral("ДЛИТЕЛЬНОСТЬ РАБОТЫ"), this);
        m_dutytime = makeEdit(QStringLiteral("dutytime"), this);
        m_prdlab = makeLabel(QStringLiteral("prdlab"), QStringLiteral("ПОВТОРЯТЬ ЧЕРЕЗ"), this);
        m_prdset = makeEdit(QStringLiteral("prdset"), this);
        m_nprdlab = makeLabel(QStringLiteral("nprdlab"), QStringLiteral("КОЛ-ВО ПОВТОРОВ ЗА ЦИКЛ"), this);
        m_nprd = makeEdit(QStringLiteral("nprd"), this);
        auto *cycle = new QGridLayout;
        cycle->setSpacing(4);
        cycle->addWidget(m_tstlab, 0, 0);
        cycle->addWidget(m_starttime, 1, 0);
        cycle->addWidget(m_dlb, 0, 1);
        cycle->addWidget(m_dutytime, 1, 1);
        cycle->addWidget(m_prdlab, 2, 0);
        cycle->addWidget(m_prdset, 3, 0);
        cycle->addWidget(m_nprdlab, 2, 1);
        cycle->addWidget(m_nprd, 3, 1);
        layout->addLayout(cycle);
    }

    auto *main = new QGridLayout;
    main->setSpacing(4);
    if (sensor || clockTimer) {
        m_conditionLabel = makeLabel(QStringLiteral("conditionLabel"), QStringLiteral("УСЛОВИЕ"), this);
        m_label4 = makeLabel(QStringLiteral("label_4"), QStringLiteral("ЗНАЧЕНИЕ"), this);
        m_valueEdit = makeEdit(QStringLiteral("valueEdit"), this);
        main->addWidget(m_conditionLabel, 0, 0);
        main->addWidget(m_label4, 0, 1);
        main->addWidget(m_valueEdit, 1, 1);
    }
    if (sensor) {
        m_conditionComboBox = new QComboBox(this);
        m_conditionComboBox->setObjectName(QStringLiteral("conditionComboBox"));
        m_conditionComboBox->setMinimumHeight(30);
        main->addWidget(m_conditionComboBox, 1, 0);
    }
    if (clockTimer) {
        m_startone = makeEdit(QStringLiteral("startone"), this);
        main->addWidget(m_startone, 1, 0);
    }
    if (interval) {
        m_label2 = makeLabel(QStringLiteral("label_2"), QStringLiteral("ДО"), this);
        m_valueEdit2 = makeEdit(QStringLiteral("valueEdit2"), this);
        m_intervalinfo = makeLabel(QStringLiteral("intervalinfo"), QString(), this);
        m_intervalinfo->setWordWrap(true);
        main->addWidget(m_label2, 0, 2);
        main->addWidget(m_valueEdit2, 1, 2);
        main->addWidget(m_intervalinfo, 2, 0, 1, 4);
        m_label2->hide();
        m_valueEdit2->hide();
        m_intervalinfo->hide();
    }
    m_priorityLabel = makeLabel(QStringLiteral("priorityLabel"), QStringLiteral("ПРИОРИТЕТ"), this);
    main->addWidget(m_priorityLabel, 0, 3);
    if (m_rowMode == BaseStateRow) {
        m_fixprior = makeLabel(QStringLiteral("fixprior"), QStringLiteral("0") + QString(8, QLatin1Char(' ')), this);
        main->addWidget(m_fixprior, 1, 3);
    } else {
        m_priorityComboBox = new QComboBox(this);
        m_priorityComboBox->setObjectName(QStringLiteral("priorityComboBox"));
        m_priorityComboBox->setMinimumHeight(30);
        main->addWidget(m_priorityComboBox, 1, 3);
    }
    main->setColumnStretch(0, 1);
    main->setColumnStretch(1, 1);
    main->setColumnStretch(2, 1);
    layout->addLayout(main);

    auto *wheel = new ComboWheelFilter(this);
    if (m_conditionComboBox)
        wheel->watch(m_conditionComboBox);
    if (m_priorityComboBox)
        wheel->watch(m_priorityComboBox);
}

void ConditionItem::buildTimer()
{
    m_params = normalizedTimerParams(m_params, cycleMinutes());
    const QDateTime start = controllerState().startTime;
    const QString mask = QStringLiteral("00:00;_");
    if (m_clockMode) {
        m_conditionLabel->setText(QStringLiteral("НАЧАЛО РАБОТЫ"));
        m_label4->setText(QStringLiteral("КОНЕЦ РАБОТЫ"));
        m_startone->setInputMask(mask);
        m_valueEdit->setInputMask(mask);
        m_startone->setText(clockText(start, qint64(m_params[0])));
        m_valueEdit->setText(clockText(start, qint64(m_params[0]) + qint64(m_params[1])));
        return;
    }
    m_starttime->setInputMask(mask);
    m_dutytime->setInputMask(mask);
    m_prdset->setInputMask(mask);
    m_starttime->setText(formatDuration(qint64(m_params[0])));
    m_dutytime->setText(formatDuration(qint64(m_params[1])));
    m_prdset->setText(formatDuration(qint64(m_params[2] - m_params[1])));
    m_nprd->setText(m_params[3] == UnlimitedTimerCount ? QStringLiteral("999") : QString::number(qint64(m_params[3])));
}

void ConditionItem::guarded(int field, const std::function<void()> &handler)
{
    if (m_suppress || m_busyFields.contains(field))
        return;
    m_busyFields << field;
    handler();
    m_busyFields.removeOne(field);
}

void ConditionItem::note(const QString &text)
{
    showNote(window(), text, NoteClose::Popup, 10);
}

bool ConditionItem::hasBounds() const
{
    return m_valueEdit && m_valueEdit2;
}

void ConditionItem::showInterval(bool on)
{
    if (m_label4 && m_rowMode == SensorRow)
        m_label4->setText(on ? QStringLiteral("ЗНАЧЕНИЕ ОТ") : QStringLiteral("ЗНАЧЕНИЕ"));
    for (QWidget *w : {static_cast<QWidget *>(m_label2), static_cast<QWidget *>(m_valueEdit2),
                       static_cast<QWidget *>(m_intervalinfo)}) {
        if (w)
            w->setVisible(on);
    }
}

void ConditionItem::sendInterval()
{
    if (!hasBounds())
        return;
    bool ok1 = false;
    bool ok2 = false;
    const double lower = parseNumber(m_valueEdit->text(), &ok1);
    const double upper = parseNumber(m_valueEdit2->text(), &ok2);
    emit conditionChanged(ConditionKind::Interval, float(lower), float(upper));
}

void ConditionItem::refreshDescription()
{
    if (!m_intervalinfo || !hasBounds())
        return;
    const QString format = m_action == ConditionAction::Off ? QStringLiteral("ВЫКЛ ниже %1, ВКЛ выше %2")
                                           : QStringLiteral("ВКЛ ниже %1, ВЫКЛ выше %2");
    m_intervalinfo->setText(format.arg(m_valueEdit->text(), m_valueEdit2->text()));
}

void ConditionItem::kindChosen(int index)
{
    const auto kind = ConditionKind(m_conditionComboBox->itemData(index).toInt());
    if (kind == ConditionKind::Interval && hasBounds()) {
        showInterval(true);
        bool ok = false;
        const double lower = parseNumber(m_valueEdit->text(), &ok);
        m_valueEdit2->setText(numberText(lower + 1));
        sendInterval();
        // the bound shown is the bound stored
        emit valueChanged2(lower + 1);
    } else {
        emit conditionChanged(kind, 0, 0);
        showInterval(false);
    }
    refreshDescription();
}

void ConditionItem::valueEditFinished()
{
    const QDateTime start = controllerState().startTime;
    if (m_rowMode == TimerRow) {
        if (!m_clockMode)
            return;
        bool ok = false;
        const int end = parseClockMinutes(m_valueEdit->text(), start, &ok);
        if (!ok) {
            m_params[1] = 0;
            m_valueEdit->setText(m_startone->text());
            note(QStringLiteral("ОШИБКА!<p>Некорректное время окончания"));
            return;
        }
        double duration = end - m_params[0];
        if (duration < 0)
            duration += 1440;
        m_params[1] = duration;
        emit valueChanged(0, m_params);
        return;
    }
    bool ok = false;
    const double v = parseNumber(m_valueEdit->text(), &ok);
    const bool interval = kindOf() == int(ConditionKind::Interval);
    if (ok) {
        emit valueChanged(v, m_params);
        bool ok2 = false;
        const double upper = m_valueEdit2 ? parseNumber(m_valueEdit2->text(), &ok2) : 0.0;
        if (m_valueEdit2 && (!ok2 || v >= upper)) {
            m_suppress = true;
            m_valueEdit2->setText(numberText(v + 1));
            m_suppress = false;
            if (interval)
                emit valueChanged2(v + 1);
        }
    } else {
        m_valueEdit->setText(QStringLiteral("0"));
        if (m_valueEdit2)
            m_valueEdit2->setText(QStringLiteral("1"));
        emit valueChanged(0, m_params);
        if (interval)
            emit valueChanged2(1);
    }
    if (interval)
        sendInterval();
    refreshDescription();
}

void ConditionItem::valueEdit2Finished()
{
    bool ok = false;
    const double lower = parseNumber(m_valueEdit->text(), &ok);
    bool ok2 = false;
    const double upper = parseNumber(m_valueEdit2->text(), &ok2);
    if (!(ok && ok2 && lower < upper))
        m_valueEdit2->setText(numberText(lower + 1));
    bool okShown = false;
    emit valueChanged2(parseNumber(m_valueEdit2->text(), &okShown));
    if (kindOf() == int(ConditionKind::Interval))
        sendInterval();
    refreshDescription();
}

void ConditionItem::startoneFinished()
{
    const QDateTime start = controllerState().startTime;
    bool ok = false;
    const int begin = parseClockMinutes(m_startone->text(), start, &ok);
    if (!ok) {
        m_params[0] = 0;
        m_startone->setText(clockText(start, 0));
        note(QStringLiteral("ОШИБКА!<p>Некорректное время начала"));
        return;
    }
    m_params[0] = begin;
    bool endOk = false;
    const int end = parseClockMinutes(m_valueEdit->text(), start, &endOk);
    double duration = 0;
    if (endOk) {
        duration = end - begin;
        if (duration < 0)
            duration += 1440;
    }
    m_params[1] = duration;
    emit valueChanged(0, m_params);
}

void ConditionItem::starttimeFinished()
{
    bool ok = false;
    const int minutes = parseDuration(m_starttime->text(), &ok);
    if (!ok) {
        note(QStringLiteral("ОШИБКА!<p>Некорректное время начала"));
        m_params[0] = 0;
        m_starttime->setText(QStringLiteral("00:00"));
        return;
    }
    m_params[0] = minutes;
    emit valueChanged(0, m_params);
}

void ConditionItem::dutytimeFinished()
{
    bool ok = false;
    const int duration = parseDuration(m_dutytime->text(), &ok);
    if (!ok) {
        note(QStringLiteral("ОШИБКА!<p>Некорректное время длительности"));
        m_params[2] = 0;
        m_params[1] = 0;
        m_dutytime->setText(QStringLiteral("00:00"));
        return;
    }
    m_params[1] = duration;
    bool pauseOk = false;
    const int pause = parseDuration(m_prdset->text(), &pauseOk);
    if (pauseOk) {
        m_params[2] = pause + m_params[1];
    } else {
        m_params[2] = m_params[1];
        m_prdset->setText(QStringLiteral("00:00"));
    }
    emit valueChanged(0, m_params);
}

void ConditionItem::prdsetFinished()
{
    bool ok = false;
    const int pause = parseDuration(m_prdset->text(), &ok);
    if (ok) {
        m_params[2] = pause + m_params[1];
    } else {
        note(QStringLiteral("ОШИБКА!<p>Некорректное время следующего повтора"));
        m_params[2] = m_params[1] + 1;
        m_prdset->setText(QStringLiteral("00:01"));
    }
    emit valueChanged(0, m_params);
}

void ConditionItem::nprdFinished()
{
    bool ok = false;
    const int count = m_nprd->text().trimmed().toInt(&ok);
    if (ok && count > 0 && count < UnlimitedTimerCount) {
        m_params[3] = count;
    } else {
        m_params[3] = 999;
        m_nprd->setText(QStringLiteral("999"));
    }
    emit valueChanged(0, m_params);
}

void ConditionItem::setValue(double value)
{
    if (m_rowMode != SensorRow || m_sensorType == SensorContact || !m_valueEdit)
        return;
    m_valueEdit->setText(numberText(value));
    refreshDescription();
}

void ConditionItem::setUpperValue(double value)
{
    if (m_rowMode != SensorRow || m_sensorType == SensorContact || !m_valueEdit2)
        return;
    m_valueEdit2->setText(numberText(value));
    refreshDescription();
}

void ConditionItem::setPriority(int priority)
{
    if (!m_priorityComboBox)
        return;
    const int index = m_priorityComboBox->findData(priority);
    if (index >= 0)
        m_priorityComboBox->setCurrentIndex(index);
}

void ConditionItem::setKindAndAction(ConditionKind kind, ConditionAction action)
{
    m_action = action;
    if (m_conditionComboBox) {
        const int index = m_conditionComboBox->findData(int(kind));
        if (index >= 0)
            m_conditionComboBox->setCurrentIndex(index);
    }
    if (kind != ConditionKind::Interval || !hasBounds()) {
        showInterval(false);
        return;
    }
    showInterval(true);
    sendInterval();
    refreshDescription();
}

void ConditionItem::setAction(ConditionAction action)
{
    m_action = action;
    refreshDescription();
}

void ConditionItem::setTimer(const TimerSlot &timer)
{
    if (m_rowMode != TimerRow)
        return;
    m_suppress = true;
    m_params = {double(timer.start), double(timer.duration), double(timer.period), double(timer.count)};
    if (m_clockMode) {
        const QDateTime start = controllerState().startTime;
        m_startone->setText(clockText(start, timer.start));
        m_valueEdit->setText(clockText(start, qint64(timer.start) + timer.duration));
    } else {
        m_starttime->setText(formatDuration(timer.start));
        m_dutytime->setText(formatDuration(timer.duration));
        m_prdset->setText(formatDuration(qint64(timer.period) - timer.duration));
        m_nprd->setText(QString::number(timer.count));
    }
    m_suppress = false;
}

void ConditionItem::setPriorityVisible(bool visible)
{
    if (m_priorityComboBox)
        m_priorityComboBox->setVisible(visible);
    if (m_fixprior)
        m_fixprior->setVisible(visible);
    m_priorityLabel->setVisible(visible);
    if (m_rowMode != TimerRow)
        return;
    if (visible) {
        if (!m_clockMode) {
            setMaximumHeight(QWIDGETSIZE_MAX);
            setMinimumHeight(160);
        }
        return;
    }
    if (m_clockMode) {
        setMinimumHeight(80);
        setMaximumHeight(80);
        return;
    }
    // The four cycle fields need more than 80 pixels: the row takes the height of its content.
    setMinimumHeight(0);
    setMaximumHeight(QWIDGETSIZE_MAX);
}

int ConditionItem::kindOf() const
{
    // a timer counted from the cycle start has the one kind "НАЧАЛО ЦИКЛА"
    if (m_rowMode == TimerRow)
        return m_clockMode ? 0 : 1;
    return m_conditionComboBox && m_conditionComboBox->count() > 0 ? m_conditionComboBox->currentData().toInt() : 0;
}

int ConditionItem::priorityOf() const
{
    if (m_rowMode == BaseStateRow || !m_priorityComboBox)
        return 0;
    return m_priorityComboBox->currentData().toInt();
}

double ConditionItem::valueOf() const
{
    if (!m_valueEdit)
        return 0.0;
    bool ok = false;
    return parseNumber(m_valueEdit->text(), &ok);
}
