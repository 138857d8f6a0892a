#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

// The notes a scenario file carries: index, note files by number, description.
struct PlanNotes
{
    QByteArray index;
    QMap<int, QByteArray> files;
    QByteArray description;
};

// A plan the user chose to replace the controller's (a loaded scenario file, a restored snapshot)
// on its way there, all or nothing. First it waits, in a field of its own, until the exchange is
// idle and the sequencer takes it (PageRouter); nothing else overwrites it, and a lost link
// cancels it. Once taken, a scenario file's notes wait for the plan they belong to: the body of
// the upload that writes it (the latest one seen since it was taken). They replace the
// controller's notes only when the controller confirmed writing that body, so that a plan lost on
// the way leaves the notes as they were. One program-wide instance, pendingPlan().
class PendingPlan
{
public:
    // Chosen for the controller at address; notes null for a snapshot, which carries none and
    // leaves the notes as they are. Replaces nothing: false when a plan is waiting already.
    bool choose(quint64 address, const QString &name, const QByteArray &image, bool keepsStart, const PlanNotes *notes);
    bool isWaiting() const { return !m_waiting.image.isEmpty(); }
    quint64 waitingAddress() const { return m_waiting.address; }
    QString waitingName() const { return m_waiting.name; }
    bool waitingKeepsStart() const { return m_waiting.keepsStart; }
    QByteArray waitingImage() const { return m_waiting.image; }
    PlanNotes waitingNotes() const { return m_waiting.notes.value_or(PlanNotes()); }
    // The note that refuses another plan while this one waits (rich text, naming it).
    QString stillWaitingNote() const;

    // Hands the waiting image on (*keepsStart: a snapshot, restored with its start). Its notes,
    // if any, now wait for their plan to be confirmed, in place of any notes waiting before.
    QByteArray take(bool *keepsStart);
    // The waiting plan is given up (the link was lost before it was taken): its name.
    QString cancelWaiting();

    bool notesPending() const { return m_sent.has_value(); }
    // An upload of body to the controller at address is under way.
    void uploadSeen(quint64 address, const QByteArray &body);
    // The controller at address confirmed writing body: true, with the notes that go with it and
    // the file's name, when they were waiting for exactly that.
    bool confirmed(quint64 address, const QByteArray &body, PlanNotes *notes, QString *name);
    // Signed in to address: what waits for another controller goes.
    void keepOnlyFor(quint64 address);
    // The account of the controller at address was deleted: its notes go, the waiting ones too.
    void dropFor(quint64 address);

    void reset() { *this = PendingPlan(); }

private:
    // chosen, not yet handed to the sequencer
    struct Waiting
    {
        QByteArray image;  // empty: none waits
        bool keepsStart = false;
        QString name;
        quint64 address = 0;
        std::optional<PlanNotes> notes;  // none for a snapshot
    };
    // handed on: the notes wait for the confirmed write of body
    struct Sent
    {
        quint64 address = 0;
        QString name;
        PlanNotes notes;
        QByteArray body;  // the latest upload seen; empty before the first
    };
    Waiting m_waiting;
    std::optional<Sent> m_sent;
};

PendingPlan &pendingPlan();
