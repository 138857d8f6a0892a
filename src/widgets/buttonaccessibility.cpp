#include "widgets/buttonaccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPushButton>

namespace {

class CheckableButtonAccessible : public QAccessibleWidget
{
public:
    explicit CheckableButtonAccessible(QPushButton *button) : QAccessibleWidget(button, QAccessible::Button) {}

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = button()->isCheckable();
        s.checked = button()->isChecked();
        s.pressed = button()->isDown();
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        QString text = QAccessibleWidget::text(t);
        if (text.isEmpty() && t == QAccessible::Name)
            text = button()->text().trimmed().remove(QLatin1Char('&'));
        return text;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names << pressAction() << toggleAction();
        return names;
    }

    void doAction(const QString &name) override
    {
        if (!widget()->isEnabled())
            return;
        if (name == pressAction() || name == toggleAction())
            button()->click();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    QPushButton *button() const { return static_cast<QPushButton *>(widget()); }
};

QAccessibleInterface *checkableButtonFactory(const QString &, QObject *object)
{
    auto *button = qobject_cast<QPushButton *>(object);
    if (button && button->isCheckable())
        return new CheckableButtonAccessible(button);
    return nullptr;
}

} // namespace

void installButtonAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(checkableButtonFactory);
}
