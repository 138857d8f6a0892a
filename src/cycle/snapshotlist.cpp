#include "cycle/snapshotlist.h"

#include "cycle/planchangequestion.h"
#include "link/requests.h"
#include "model/controllerstate.h"
#include "model/plan/pendingplan.h"
#include "model/codec/planimage.h"
#include "model/plan/scenariovalidation.h"
#include "model/files/snapshotkeeper.h"
#include "model/wallclock.h"
#include "model/plan/workcyclecommit.h"
#include "widgets/dialogs.h"
#include "widgets/infonote.h"
#include "widgets/theme.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { TakenColumn, StartColumn, EndColumn, ScenariosColumn, SocketsColumn, ColumnCount };

constexpr int NoteTicks = 30;

QString dateTimeText(const QDateTime &t)
{
    return t.isValid() ? t.toString(startTimeFormat()) : QStringLiteral("—");
}

} // namespace

SnapshotList::SnapshotList(SnapshotKeeper *keeper, quint64 address, QWidget *parent)
    : QDialog(parent), m_keeper(keeper), m_address(address)
{
    setObjectName(QStringLiteral("snapshotList"));
    resize(900, 520);

    auto *layout = new QVBoxLayout(Theme::dialogFrame(this, QStringLiteral("Снимки настроек")));
    auto *intro = new QLabel(QStringLiteral("Каждый план, прочитанный с контроллера или записанный на него, сохраняется "
                                            "здесь. Выберите снимок, чтобы вернуть его на контроллер."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("snapshotTable"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Снимок"), QStringLiteral("Начало работы"),
                                        QStringLiteral("Окончание работы"), QStringLiteral("Сценариев"),
                                        QStringLiteral("Розетки")});
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *close = new QPushButton(QStringLiteral("Закрыть"), this);
    m_restore = new QPushButton(QStringLiteral("Восстановить"), this);
    m_restore->setObjectName(QStringLiteral("restoreButton"));
    buttons->addWidget(close);
    buttons->addWidget(m_restore);
    layout->addLayout(buttons);

    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_restore, &QPushButton::clicked, this, [this] {
        if (restoreSelected())
            accept();
    });
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &SnapshotList::updateButton);
    reload();
}

void SnapshotList::open(SnapshotKeeper *keeper, quint64 address, QWidget *parent)
{
    SnapshotList list(keeper, address, parent);
    const Theme::WindowBlur blur(parent ? parent->window() : nullptr);
    Dialogs::exec(&list);
}

void SnapshotList::reload()
{
    m_entries = m_address != 0 ? m_keeper->store().list(m_address) : QList<SnapshotEntry>();
    m_table->setRowCount(int(m_entries.size()));
    for (int row = 0; row < m_entries.size(); ++row) {
        const SnapshotEntry &entry = m_entries.at(row);
        QStringList cells(ColumnCount);
        cells[TakenColumn] = entry.time.toString(QStringLiteral("dd.MM.yyyy   hh:mm:ss"));
        QByteArray body;
        QString error;
        if (SnapshotStore::read(entry, &body, &error)) {
            const ControllerState plan = planOfImage(body);
            const bool hasCycle = plan.cycleCount > 0;
            cells[StartColumn] = hasCycle ? dateTimeText(plan.startTime) : QStringLiteral("не задано");
            cells[EndColumn] = hasCycle ? dateTimeText(plan.startTime.addSecs(qint64(plan.cycleCount)
                                                                               * (plan.dayHours + plan.nightHours) * 3600))
                                        : QStringLiteral("не задано");
            cells[ScenariosColumn] = QString::number(plan.scenarios.size());
            QStringList sockets;
            for (const SocketSlot &socket : plan.sockets)
                sockets << socket.name;
            cells[SocketsColumn] = sockets.join(QStringLiteral(", "));
        } else {
            cells[StartColumn] = QStringLiteral("снимок повреждён");
        }
        for (int column = 0; column < ColumnCount; ++column)
            m_table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
    }
    if (!m_entries.isEmpty())
        m_table->selectRow(0);
    updateButton();
}

void SnapshotList::updateButton()
{
    m_restore->setEnabled(!m_table->selectionModel()->selectedRows().isEmpty());
}

bool SnapshotList::restoreSelected()
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return false;
    const SnapshotEntry entry = m_entries.value(rows.first().row());
    QWidget *noteParent = parentWidget() ? parentWidget() : this;
    const auto note = [noteParent](const QString &text) {
        closeNote();
        showNote(noteParent, text, NoteClose::Popup | NoteClose::AfterTicks, NoteTicks);
    };

    QByteArray body;
    QString error;
    if (!SnapshotStore::read(entry, &body, &error)) {
        note(error);
        return false;
    }
    // the plan is checked as an upload would check it before anything is asked or written
    ControllerState plan = planOfImage(body);
    if (!commitWorkCycle(plan, note, true))
        return false;
    if (!linkSignedIn()) {
        note(QStringLiteral("Нет связи с контроллером"));
        return false;
    }
    if (pendingPlan().isWaiting()) {
        // one plan on its way at a time: a waiting one is never replaced unseen
        note(pendingPlan().stillWaitingNote());
        return false;
    }
    if (!PlanChangeQuestion::confirmRestore(this, m_keeper->heldBody(m_address), body, entry.time))
        return false;

    // the path of a loaded scenario file: taken once the exchange is idle, decoded, then uploaded
    // and read back; a snapshot carries no notes, so the controller's stay as they are
    QString refusal;
    if (!offerPlan(m_address, QFileInfo(entry.path).fileName(), body, true, nullptr, &refusal)) {
        note(refusal);
        return false;
    }
    return true;
}
