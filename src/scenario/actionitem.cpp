#include "scenario/actionitem.h"

#include "model/controllerstate.h"
#include "scenario/combowheelfilter.h"

#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

ActionItem::ActionItem(QWidget *parent) : QWidget(parent), m_combo(new QComboBox(this))
{
    auto *label = new QLabel(QStringLiteral("ДЕЙСТВИЕ"), this);
    label->setObjectName(QStringLiteral("actionLabel"));
    m_combo->setObjectName(QStringLiteral("actionComboBox"));
    m_combo->setMinimumHeight(42);
    m_combo->addItem(QStringLiteral("ВКЛ"), int(ConditionAction::On));
    m_combo->addItem(QStringLiteral("ВЫКЛ"), int(ConditionAction::Off));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(label);
    layout->addWidget(m_combo);
    layout->addStretch(1);

    auto *wheel = new ComboWheelFilter(this);
    wheel->watch(m_combo);
    connect(m_combo, &QComboBox::activated, this, [this](int index) { emit actionChanged(ConditionAction(m_combo->itemData(index).toInt())); });
}

void ActionItem::setAction(ConditionAction action)
{
    const int index = m_combo->findData(int(action));
    if (index >= 0)
        m_combo->setCurrentIndex(index);
}

ConditionAction ActionItem::actionOf() const
{
    return ConditionAction(m_combo->currentData().toInt());
}

void ActionItem::conditionChanged(ConditionKind cond, float lb, float hb)
{
    Q_UNUSED(lb)
    Q_UNUSED(hb)
    if (cond == ConditionKind::Interval) {
        m_combo->setItemText(0, QStringLiteral("ВКЛ..."));
        m_combo->setItemText(1, QStringLiteral("ВЫКЛ..."));
    } else {
        m_combo->setItemText(0, QStringLiteral("ВКЛ"));
        m_combo->setItemText(1, QStringLiteral("ВЫКЛ"));
        m_combo->setToolTip(QString());
    }
}
