#pragma once

#include "model/files/snapshotstore.h"

#include <QByteArray>
#include <QHash>
#include <QString>

// Keeps a snapshot of every image a controller holds (read from it, or written to it and
// confirmed by its read-back) in the working folder "snapshots", and remembers the body each
// controller holds now, for showing what a restore or a loaded file would change.
class SnapshotKeeper
{
public:
    explicit SnapshotKeeper(int limit = SnapshotStore::DefaultLimit);

    // The controller holds body now (read from it, or written and confirmed). False when the
    // snapshot could not be written; *error then names the file.
    bool keep(quint64 address, const QByteArray &body, QString *error);

    // The body the controller was last seen holding in this run; empty when unknown.
    QByteArray heldBody(quint64 address) const;

    // The store below the current working folders.
    SnapshotStore store() const;

private:
    int m_limit;
    QHash<quint64, QByteArray> m_held;
};
