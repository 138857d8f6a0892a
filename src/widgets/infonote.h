#pragma once

#include "link/linknotes.h"

#include <QDialog>

class QLabel;


// The note popup: the one way the program shows short messages. At most one exists at a time.
class infonote : public QDialog
{
    Q_OBJECT
public:
    infonote(QWidget *parent, const QString &text, int flags, int ticks);
    ~infonote() override;

    void setText(const QString &text);
    QString text() const;
    // Closes the note: unblurs the main window, frees the slot, deletes itself later.
    void dismiss();

    int flags;
    int ticksLeft;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void release();
    QLabel *m_label;
    bool m_released = false;
};

// The number of open notes (0 or 1) and the open note, or null.
int openNotes();
infonote *currentNote();

// Opens a note unless one is already shown.
void showNote(QWidget *parent, const QString &text, int flags, int ticks);
// Like showNote, but when a note is already shown its remaining ticks drop by one instead.
void showNoteOrShorten(QWidget *parent, const QString &text, int flags, int ticks);
// Replaces the text of the open note.
void setNoteText(const QString &text);
void closeNote();
// Closes the open note unless it closes by its own tick count (a short confirmation stays readable
// when the link changes state under it).
void closeUntimedNote();
// One 100 ms tick of the open note: counts down and closes it when its condition holds.
void tickNote(bool linkAtDiscovery, bool exchangeIdle);
