#pragma once

#include "link/linknotes.h"

class QWidget;

// The link's notes shown in the note popup over the main window.
class NotePopup : public LinkNotes
{
public:
    explicit NotePopup(QWidget *parent) : m_parent(parent) {}

    void note(const QString &text, int flags, int ticks) override;
    void noteOrShorten(const QString &text, int flags, int ticks) override;
    void setNoteText(const QString &text) override;
    void closeNote() override;
    void closeUntimedNote() override;
    void tickNote(bool linkAtDiscovery, bool exchangeIdle) override;

private:
    QWidget *m_parent;
};
