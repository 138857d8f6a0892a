#pragma once

#include "model/controllerstate.h"

#include <QWidget>

class QComboBox;
class ComboWheelFilter;

// Action cell of a scenario row: switch the output on ("ВКЛ") or off ("ВЫКЛ").
class ActionItem : public QWidget
{
    Q_OBJECT
public:
    explicit ActionItem(QWidget *parent = nullptr);

    void setAction(ConditionAction action);
    ConditionAction actionOf() const;
    QComboBox *comboBox() const { return m_combo; }

signals:
    void actionChanged(ConditionAction act);

public slots:
    // An interval spells its meaning out in the condition cell; the entries only hint at it.
    void conditionChanged(ConditionKind cond, float lb, float hb);

private:
    QComboBox *m_combo;
};
