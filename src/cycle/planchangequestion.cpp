#include "cycle/planchangequestion.h"

#include "model/plan/plancheck.h"
#include "model/plan/plandiff.h"
#include "model/codec/planimage.h"
#include "widgets/dialogs.h"
#include "widgets/theme.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString NoChanges = QStringLiteral("Изменений нет: контроллер уже хранит этот план");

bool ask(QWidget *parent, const QString &title, const QString &intro, const QStringList &lines, const QString &acceptText)
{
    QDialog dialog(parent);
    dialog.resize(620, 420);
    auto *layout = new QVBoxLayout(Theme::dialogFrame(&dialog, title));
    auto *label = new QLabel(intro, &dialog);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto *list = new QListWidget(&dialog);
    list->setObjectName(QLatin1String(PlanChangeQuestion::ListName));
    list->addItems(lines.isEmpty() ? QStringList{NoChanges} : lines);
    // group titles are the lines planDiffLines does not indent
    for (int i = 0; !lines.isEmpty() && i < list->count(); ++i) {
        QListWidgetItem *item = list->item(i);
        if (!item->text().startsWith(QLatin1Char(' '))) {
            QFont font = item->font();
            font.setBold(true);
            item->setFont(font);
        }
    }
    list->setSelectionMode(QAbstractItemView::NoSelection);
    // a changed row reads "before → after": long lines wrap rather than scroll sideways
    list->setWordWrap(true);
    list->setResizeMode(QListView::Adjust);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(list, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *cancel = new QPushButton(QStringLiteral("Отмена"), &dialog);
    auto *accept = new QPushButton(acceptText, &dialog);
    accept->setObjectName(QLatin1String(PlanChangeQuestion::AcceptName));
    buttons->addWidget(cancel);
    buttons->addWidget(accept);
    layout->addLayout(buttons);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    QObject::connect(accept, &QPushButton::clicked, &dialog, &QDialog::accept);
    cancel->setDefault(true); // writing a plan is never the default
    const Theme::WindowBlur blur(parent ? parent->window() : nullptr);
    return Dialogs::exec(&dialog) == QDialog::Accepted;
}

// What changes, then what the checker finds in the plan that would be written.
QStringList changeLines(const QByteArray &heldBody, const QByteArray &incoming, bool movesStart)
{
    const ControllerState incomingPlan = planOfImage(incoming, movesStart);
    QStringList lines = planDiffLines(diffPlans(planOfImage(heldBody), incomingPlan), PlanChangeQuestion::MaxLinesPerGroup);
    const QList<PlanFinding> findings = checkPlan(incomingPlan);
    if (findings.isEmpty())
        return lines;
    if (lines.isEmpty())
        lines << NoChanges;
    lines << (hasPlanErrors(findings) ? QStringLiteral("Проверка плана: есть ошибки") : QStringLiteral("Проверка плана"));
    for (const QString &line : findingLines(findings))
        lines << QStringLiteral("  ") + line;
    return lines;
}

} // namespace

namespace PlanChangeQuestion {

bool confirmRestore(QWidget *parent, const QByteArray &heldBody, const QByteArray &snapshot, const QDateTime &taken)
{
    QString intro = QStringLiteral("На контроллер будет записан снимок от %1.").arg(taken.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")));
    intro += heldBody.isEmpty() ? QStringLiteral(" План контроллера неизвестен; снимок содержит:")
                                : QStringLiteral(" Изменится:");
    return ask(parent, QStringLiteral("Восстановить снимок"), intro, changeLines(heldBody, snapshot, false),
               QStringLiteral("Восстановить"));
}

bool confirmScenarioFile(QWidget *parent, const QByteArray &heldBody, const QByteArray &image)
{
    QString intro = QStringLiteral("На контроллер будет записан сценарий из файла.");
    intro += heldBody.isEmpty() ? QStringLiteral(" План контроллера неизвестен; файл содержит:")
                                : QStringLiteral(" Изменится:");
    return ask(parent, QStringLiteral("Загрузить сценарий"), intro, changeLines(heldBody, image, true),
               QStringLiteral("Загрузить"));
}

} // namespace PlanChangeQuestion
