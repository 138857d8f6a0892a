#include "widgets/infonote.h"

#include "widgets/theme.h"

#include <QApplication>
#include <QGraphicsBlurEffect>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace {
int g_openNotes = 0;
infonote *g_currentNote = nullptr;
} // namespace

int openNotes()
{
    return g_openNotes;
}

infonote *currentNote()
{
    return g_currentNote;
}

namespace {

QWidget *mainWindowWidget()
{
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget *w : tops)
        if (qstrcmp(w->metaObject()->className(), "MainWindow") == 0)
            return w;
    return nullptr;
}

void setMainWindowBlur(bool blur)
{
    QWidget *main = mainWindowWidget();
    if (!main)
        return;
    if (blur) {
        auto *effect = new QGraphicsBlurEffect(main);
        effect->setBlurRadius(6);
        main->setGraphicsEffect(effect);
    } else {
        main->setGraphicsEffect(nullptr);
    }
}

} // namespace

infonote::infonote(QWidget *parent, const QString &text, int flags_, int ticks)
    : QDialog(parent), flags(flags_), ticksLeft(ticks), m_label(new QLabel(this))
{
    Qt::WindowFlags wf = Qt::FramelessWindowHint | Qt::Dialog;
    if (flags & NoteClose::Popup)
        wf = Qt::FramelessWindowHint | Qt::Popup;
    setWindowFlags(wf);
    setAttribute(Qt::WA_TranslucentBackground);
    setObjectName(QStringLiteral("infonote"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_label->setObjectName(QStringLiteral("noteText"));
    m_label->setTextFormat(Qt::RichText);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    m_label->setMinimumSize(360, 110);
    m_label->setStyleSheet(QStringLiteral(
        "QLabel { background-color: %1; color: %2; border: 2px solid %3; border-radius: 12px; padding: 18px;"
        " font-family: %4; font-size: 16px; font-weight: 600; }")
                               .arg(Theme::css(Theme::CardBackground), Theme::css(Theme::Text), Theme::css(Theme::Brand),
                                    Theme::TextFont));
    layout->addWidget(m_label);
    m_label->setText(text);
}

infonote::~infonote()
{
    release();
}

void infonote::setText(const QString &text)
{
    m_label->setText(text);
}

QString infonote::text() const
{
    return m_label->text();
}

void infonote::mousePressEvent(QMouseEvent *event)
{
    if (flags & NoteClose::Popup) {
        closeNote();
        return;
    }
    QDialog::mousePressEvent(event);
}

void infonote::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    // A popup also hides when the user clicks elsewhere: that closes the note too.
    if (!m_released)
        dismiss();
}

void infonote::dismiss()
{
    release();
    hide();
    deleteLater();
}

void infonote::release()
{
    if (m_released)
        return;
    m_released = true;
    if (g_currentNote == this) {
        g_currentNote = nullptr;
        g_openNotes = 0;
        setMainWindowBlur(false);
    }
}

void showNote(QWidget *parent, const QString &text, int flags, int ticks)
{
    if (g_openNotes > 0 && g_currentNote)
        return;
    auto *note = new infonote(parent, text, flags, ticks);
    g_openNotes = 1;
    g_currentNote = note;
    note->adjustSize();
    if (QWidget *main = mainWindowWidget()) {
        const QPoint centre = main->mapToGlobal(main->rect().center());
        note->move(centre - QPoint(note->width() / 2, note->height() / 2));
        setMainWindowBlur(true);
    }
    note->setModal(!(flags & NoteClose::Popup));
    note->show();
}

void showNoteOrShorten(QWidget *parent, const QString &text, int flags, int ticks)
{
    if (g_currentNote) {
        if (g_currentNote->ticksLeft > 0)
            --g_currentNote->ticksLeft;
        return;
    }
    showNote(parent, text, flags, ticks);
}

void setNoteText(const QString &text)
{
    if (g_currentNote)
        g_currentNote->setText(text);
}

void closeNote()
{
    if (g_currentNote)
        g_currentNote->dismiss();
}

void closeUntimedNote()
{
    if (g_currentNote && !(g_currentNote->flags & NoteClose::AfterTicks))
        closeNote();
}

void tickNote(bool linkAtDiscovery, bool exchangeIdle)
{
    infonote *note = g_currentNote;
    if (!note)
        return;
    if (note->ticksLeft > 0)
        --note->ticksLeft;
    if (((note->flags & NoteClose::AfterTicks) && note->ticksLeft == 0)
        || ((note->flags & NoteClose::OnDiscovery) && linkAtDiscovery)
        || ((note->flags & NoteClose::OnIdle) && exchangeIdle))
        closeNote();
}
