#include "model/plan/pendingplan.h"

#include <utility>

bool PendingPlan::choose(quint64 address, const QString &name, const QByteArray &image, bool keepsStart, const PlanNotes *notes)
{
    if (isWaiting() || image.isEmpty())
        return false;
    m_waiting.image = image;
    m_waiting.keepsStart = keepsStart;
    m_waiting.name = name;
    m_waiting.address = address;
    m_waiting.notes = notes ? std::optional<PlanNotes>(*notes) : std::nullopt;
    return true;
}

QString PendingPlan::stillWaitingNote() const
{
    return QStringLiteral("Предыдущий план еще не записан в контроллер<p>") + m_waiting.name.toHtmlEscaped();
}

QByteArray PendingPlan::take(bool *keepsStart)
{
    Waiting taken = std::exchange(m_waiting, Waiting());
    *keepsStart = taken.keepsStart;
    // notes waiting for an earlier plan go: the plan taken now replaces that one
    m_sent.reset();
    if (taken.notes)
        m_sent = Sent{taken.address, taken.name, *taken.notes, QByteArray()};
    return taken.image;
}

QString PendingPlan::cancelWaiting()
{
    return std::exchange(m_waiting, Waiting()).name;
}

void PendingPlan::uploadSeen(quint64 address, const QByteArray &body)
{
    if (m_sent && address == m_sent->address && !body.isEmpty())
        m_sent->body = body;
}

bool PendingPlan::confirmed(quint64 address, const QByteArray &body, PlanNotes *notes, QString *name)
{
    if (!m_sent || address != m_sent->address || m_sent->body.isEmpty() || body != m_sent->body)
        return false;
    *notes = m_sent->notes;
    *name = m_sent->name;
    m_sent.reset();
    return true;
}

void PendingPlan::keepOnlyFor(quint64 address)
{
    if (isWaiting() && m_waiting.address != address)
        cancelWaiting();
    if (m_sent && m_sent->address != address)
        m_sent.reset();
}

void PendingPlan::dropFor(quint64 address)
{
    if (isWaiting() && m_waiting.address == address)
        cancelWaiting();
    if (m_sent && m_sent->address == address)
        m_sent.reset();
}

PendingPlan &pendingPlan()
{
    static PendingPlan plan;
    return plan;
}
