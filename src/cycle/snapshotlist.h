#pragma once

#include "model/files/snapshotstore.h"

#include <QDialog>
#include <QList>

class QPushButton;
class QTableWidget;
class SnapshotKeeper;

// The configuration snapshots of the controller signed in to: date and time, the work cycle's
// start and end, the number of scenarios and the socket names of each. "Восстановить" writes the
// chosen one back through the path of a loaded scenario file, after a question that shows what
// would change. Opened with SnapshotList::open() from wherever the list is offered.
class SnapshotList : public QDialog
{
    Q_OBJECT
public:
    SnapshotList(SnapshotKeeper *keeper, quint64 address, QWidget *parent = nullptr);

    // Shows the list modally (through the dialog seam).
    static void open(SnapshotKeeper *keeper, quint64 address, QWidget *parent);

    QTableWidget *table() const { return m_table; }
    const QList<SnapshotEntry> &entries() const { return m_entries; }

    void reload();
    // Writes the snapshot of the selected row back; false when refused or not wanted.
    bool restoreSelected();

private:
    void updateButton();

    SnapshotKeeper *m_keeper;
    quint64 m_address;
    QList<SnapshotEntry> m_entries;
    QTableWidget *m_table;
    QPushButton *m_restore;
};
