#include "model/pendingplan.h"

bool PendingPlan::choose(quint64 address, const QString &name, const QByteArray &image, bool keepsStart, const PlanNotes *notes)
{
    if (isWaiting() || image.isEmpty())
        return false;
    m_image = image;
    m_keepsStart = keepsStart;
    m_name = name;
    m_address = address;
    m_hasNotes = notes != nullptr;
    m_notes = notes ? *notes : PlanNotes();
    return true;
}

QByteArray PendingPlan::take(bool *keepsStart)
{
    const QByteArray image = m_image;
    *keepsStart = m_keepsStart;
    // notes waiting for an earlier plan go: the plan taken now replaces that one
    m_notesPending = m_hasNotes;
    m_notesAddress = m_address;
    m_notesName = m_name;
    m_sentNotes = m_notes;
    m_body.clear();
    m_image.clear();
    m_name.clear();
    m_address = 0;
    m_hasNotes = false;
    m_notes = PlanNotes();
    if (!m_notesPending) {
        m_notesName.clear();
        m_sentNotes = PlanNotes();
        m_notesAddress = 0;
    }
    return image;
}

QString PendingPlan::cancelWaiting()
{
    const QString name = m_name;
    m_image.clear();
    m_name.clear();
    m_address = 0;
    m_hasNotes = false;
    m_notes = PlanNotes();
    return name;
}

void PendingPlan::uploadSeen(quint64 address, const QByteArray &body)
{
    if (m_notesPending && address == m_notesAddress && !body.isEmpty())
        m_body = body;
}

bool PendingPlan::confirmed(quint64 address, const QByteArray &body, PlanNotes *notes, QString *name)
{
    if (!m_notesPending || address != m_notesAddress || m_body.isEmpty() || body != m_body)
        return false;
    *notes = m_sentNotes;
    *name = m_notesName;
    m_notesPending = false;
    m_notesAddress = 0;
    m_notesName.clear();
    m_sentNotes = PlanNotes();
    m_body.clear();
    return true;
}

void PendingPlan::keepOnlyFor(quint64 address)
{
    if (isWaiting() && m_address != address)
        cancelWaiting();
    if (m_notesPending && m_notesAddress != address)
        dropFor(m_notesAddress);
}

void PendingPlan::dropFor(quint64 address)
{
    if (isWaiting() && m_address == address)
        cancelWaiting();
    if (m_notesPending && m_notesAddress == address) {
        m_notesPending = false;
        m_notesAddress = 0;
        m_notesName.clear();
        m_sentNotes = PlanNotes();
        m_body.clear();
    }
}

PendingPlan &pendingPlan()
{
    static PendingPlan plan;
    return plan;
}
