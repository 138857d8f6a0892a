#pragma once

#include "model/controllerstate.h"

#include <QList>
#include <functional>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
struct TimerSlot;

// Condition cell of a scenario row: a base state, a sensor threshold (below, above, interval) or a
// timer (clock times in a 24-hour cycle, offsets from the cycle start otherwise). Checks and
// converts the user's input and reports accepted values; the editor stores them.
class ConditionItem : public QWidget
{
    Q_OBJECT
public:
    enum RowMode { BaseStateRow = 0, SensorRow = 1, TimerRow = 2 };

    ConditionItem(QWidget *parent, int priorityLevels, int rowMode, int sensorType,
                  const QList<double> &params = QList<double>());

    void setValue(double value);
    void setUpperValue(double value);
    void setPriority(int priority);
    void setKindAndAction(ConditionKind kind, ConditionAction action);
    void setAction(ConditionAction action);
    void setTimer(const TimerSlot &timer);
    void setPriorityVisible(bool visible);

    int kindOf() const;
    int priorityOf() const;
    double valueOf() const;

    int rowMode() const { return m_rowMode; }
    bool clockMode() const { return m_clockMode; }
    // Timer rows: [start, duration, period, count]. Only the fields of the row's mode exist.
    QList<double> params() const { return m_params; }

    template<typename T> T *field(const char *name) const
    {
        return findChild<T *>(QString::fromLatin1(name));
    }

signals:
    void conditionChanged(ConditionKind cond, float lb, float hb);
    void priorityChanged(int priority);
    void valueChanged(double value, const QList<double> &params);
    void valueChanged2(double value);

private:
    void buildForm();
    void buildTimer();
    void kindChosen(int index);
    void valueEditFinished();
    void valueEdit2Finished();
    void startoneFinished();
    void starttimeFinished();
    void dutytimeFinished();
    void prdsetFinished();
    void nprdFinished();
    void refreshDescription();
    bool hasBounds() const;
    void showInterval(bool on);
    void sendInterval();
    void note(const QString &text);
    // Runs a field handler unless filling is under way or the field's handler already runs.
    void guarded(int field, const std::function<void()> &handler);

    int m_rowMode;
    int m_sensorType;
    int m_levels;
    ConditionAction m_action = ConditionAction::On;
    bool m_clockMode = false;
    bool m_suppress = false;
    QList<double> m_params;
    QList<int> m_busyFields;

    QLabel *m_tstlab = nullptr;
    QLineEdit *m_starttime = nullptr;
    QLabel *m_dlb = nullptr;
    QLineEdit *m_dutytime = nullptr;
    QLabel *m_prdlab = nullptr;
    QLineEdit *m_prdset = nullptr;
    QLabel *m_nprdlab = nullptr;
    QLineEdit *m_nprd = nullptr;
    QLabel *m_conditionLabel = nullptr;
    QLineEdit *m_startone = nullptr;
    QComboBox *m_conditionComboBox = nullptr;
    QLabel *m_label4 = nullptr;
    QLineEdit *m_valueEdit = nullptr;
    QLabel *m_label2 = nullptr;
    QLabel *m_intervalinfo = nullptr;
    QLineEdit *m_valueEdit2 = nullptr;
    QLabel *m_priorityLabel = nullptr;
    QLabel *m_fixprior = nullptr;
    QComboBox *m_priorityComboBox = nullptr;
};
