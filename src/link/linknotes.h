#pragma once

#include <QString>

// Close conditions of a note (bit set).
namespace NoteClose {
enum Flag {
    AfterTicks = 1,   // when its tick count has run down
    OnDiscovery = 2,  // when the link is back at discovery
    OnIdle = 4,       // when the exchange is idle
    Popup = 8,        // click-away popup, not modal
};
}

// Where the link and the sequencer send their short messages; the application shows them in the
// note popup. At most one note is shown at a time: a second note() while one is open does nothing.
class LinkNotes
{
public:
    virtual ~LinkNotes() = default;
    virtual void note(const QString &text, int flags, int ticks) = 0;
    // Like note(), but when a note is already shown its remaining ticks drop by one instead.
    virtual void noteOrShorten(const QString &text, int flags, int ticks) = 0;
    // New text for the open note; nothing when none is open.
    virtual void setNoteText(const QString &text) = 0;
    virtual void closeNote() = 0;
    // Closes the open note unless it closes by its own tick count.
    virtual void closeUntimedNote() = 0;
    // One 100 ms tick of the open note: counts down and closes it when its condition holds.
    virtual void tickNote(bool linkAtDiscovery, bool exchangeIdle) = 0;
};
