#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// Day notes and description as a set: what one plan carries beside it.
struct NoteSet
{
    QMap<int, QString> comments; // day index -> text
    QString description;

    bool operator==(const NoteSet &o) const { return comments == o.comments && description == o.description; }
    bool operator!=(const NoteSet &o) const { return !(*this == o); }
};

// The plans a user saved and the one the program last confirmed as written, each with the notes
// that belong to it. A fault campaign checks the controller and the disk against it.
class PlanLedger
{
public:
    // Note set 0 is the one the program starts with.
    explicit PlanLedger(const NoteSet &initialNotes = NoteSet()) { m_noteSets << initialNotes; }

    int addNoteSet(const NoteSet &notes)
    {
        m_noteSets << notes;
        return int(m_noteSets.size()) - 1;
    }
    const NoteSet &noteSet(int id) const { return m_noteSets.at(id); }
    // The id of a known note set equal to notes; -1 for a set never written by anyone.
    int findNoteSet(const NoteSet &notes) const
    {
        for (int i = int(m_noteSets.size()) - 1; i >= 0; --i)
            if (m_noteSets.at(i) == notes)
                return i;
        return -1;
    }

    // The plan read from the controller at the start: written as far as the program knows.
    void start(const QByteArray &body, int notes = 0) { m_confirmed = {body, notes, QStringLiteral("start")}; }

    // The user saved a plan (an edit, a decoded scenario file, a restored snapshot).
    void saved(const QByteArray &body, int notes, const QString &what) { m_pending << Entry{body, notes, what}; }

    // The program says the controller took body. Empty when that is something the user saved,
    // else what is wrong.
    QString confirmed(const QByteArray &body)
    {
        int at = -1;
        for (int i = int(m_pending.size()) - 1; i >= 0 && at < 0; --i)
            if (m_pending.at(i).body == body)
                at = i;
        if (at < 0) {
            if (body == m_confirmed.body)
                return QString();
            return QStringLiteral("the program confirmed a plan the user never saved");
        }
        m_confirmed = m_pending.at(at);
        m_pending.remove(0, at + 1);
        return QString();
    }

    // The controller may run the plan last confirmed or any saved since: never anything else.
    bool allows(const QByteArray &committedBody) const { return entryOf(committedBody) != nullptr; }

    // The notes of the plan with this body (the latest save of it); -1 when it is not allowed.
    int notesOf(const QByteArray &body) const
    {
        const Entry *e = entryOf(body);
        return e ? e->notes : -1;
    }

    const QByteArray &confirmedBody() const { return m_confirmed.body; }
    int confirmedNotes() const { return m_confirmed.notes; }
    bool hasPending() const { return !m_pending.isEmpty(); }
    QString pendingText() const
    {
        QStringList what;
        for (const Entry &e : m_pending)
            what << e.what;
        return what.join(QStringLiteral(", "));
    }

    // Whether body is the plan of the user's last save.
    bool isLastSaved(const QByteArray &body) const
    {
        return (m_pending.isEmpty() ? m_confirmed.body : m_pending.last().body) == body;
    }

private:
    struct Entry
    {
        QByteArray body;
        int notes = 0;
        QString what;
    };
    const Entry *entryOf(const QByteArray &body) const
    {
        for (int i = int(m_pending.size()) - 1; i >= 0; --i)
            if (m_pending.at(i).body == body)
                return &m_pending.at(i);
        return body == m_confirmed.body ? &m_confirmed : nullptr;
    }

    QList<NoteSet> m_noteSets;
    Entry m_confirmed;
    QList<Entry> m_pending;
};
