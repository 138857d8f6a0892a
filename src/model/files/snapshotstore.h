#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// One kept configuration image of a controller.
struct SnapshotEntry
{
    QString path;
    QDateTime time;    // when the controller was last seen holding it (local time, to the millisecond)
    QString hash;      // content hash in the file name
    qint64 sequence = 0; // order of saving; 0 for a name of the earlier form, older than any numbered one
};

// The configuration snapshots: "<folder>/<controller address as decimal u64>/" holds one image
// body per file, named "<sequence>-yyyyMMdd-HHmmss.zzz<+HHMM>-<content hash>.img" so that
// `vireosant-inspect image` reads a file as it is. The sequence number (six digits or more) only
// grows: the snapshots are ordered by it, not by their time, so that a clock set back (the autumn
// time change, a corrected PC clock) never makes the snapshot just taken look older than the
// others. The time is local wall-clock time with its offset from UTC. Names of the earlier form
// "yyyyMMdd-HHmmss.zzz-<content hash>.img" (no sequence) are still read, as older than any
// numbered snapshot. A body is kept once per controller: seeing it again moves its snapshot to the
// new time and the next number. Folders are 0700, files 0600, each written in one step.
class SnapshotStore
{
public:
    static constexpr int DefaultLimit = 200;

    explicit SnapshotStore(const QString &folder, int limit = DefaultLimit);

    enum Outcome { Saved, Refreshed, Failed };
    // Keeps body as the controller's snapshot at time `when`, as the newest one whatever the time;
    // the oldest beyond the limit are removed, never the one just kept. On Failed, *error names
    // the file or folder that could not be written.
    Outcome save(quint64 address, const QByteArray &body, const QDateTime &when, QString *error = nullptr) const;

    // The controller's snapshots, newest (highest sequence) first; those of the earlier name form
    // follow, newest first by name. Files with other names are ignored.
    QList<SnapshotEntry> list(quint64 address) const;

    // Reads a snapshot for writing it back: false with a Russian *error when the file cannot be
    // read or is damaged (content that does not match its name, a body that is not whole
    // blocks, does not decode to its end, holds no scenario or does not fit the controller).
    static bool read(const SnapshotEntry &entry, QByteArray *body, QString *error);

    QString controllerFolder(quint64 address) const;
    static QString contentHash(const QByteArray &body);

private:
    QString m_folder;
    int m_limit;
};
