#include "app/notepopup.h"

#include "widgets/infonote.h"

void NotePopup::note(const QString &text, int flags, int ticks)
{
    showNote(m_parent, text, flags, ticks);
}

void NotePopup::noteOrShorten(const QString &text, int flags, int ticks)
{
    showNoteOrShorten(m_parent, text, flags, ticks);
}

void NotePopup::setNoteText(const QString &text)
{
    ::setNoteText(text);
}

void NotePopup::closeNote()
{
    ::closeNote();
}

void NotePopup::closeUntimedNote()
{
    ::closeUntimedNote();
}

void NotePopup::tickNote(bool linkAtDiscovery, bool exchangeIdle)
{
    ::tickNote(linkAtDiscovery, exchangeIdle);
}
