#include "model/files/snapshotkeeper.h"

#include "model/clock.h"
#include "model/files/workfolders.h"

SnapshotKeeper::SnapshotKeeper(int limit) : m_limit(limit) {}

bool SnapshotKeeper::keep(quint64 address, const QByteArray &body, QString *error)
{
    // a controller without an image, or a link without an address, leaves nothing to keep
    if (body.isEmpty() || address == 0)
        return true;
    m_held.insert(address, body);
    return store().save(address, body, Clock::now(), error) != SnapshotStore::Failed;
}

QByteArray SnapshotKeeper::heldBody(quint64 address) const
{
    return m_held.value(address);
}

SnapshotStore SnapshotKeeper::store() const
{
    return SnapshotStore(WorkFolders::snapshotsPath(), m_limit);
}
