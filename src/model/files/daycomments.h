#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// Day comments and the scenario description of the controller signed in to. The notes live as
// UTF-8 text files: in the controller's comments folder one file per note ("<number>.txt") and the
// index "main.txt" (lines "day,number"); in its description folder "maindescr.txt". This keeps the
// in-memory picture of them (one program-wide instance, dayComments()). Folders come from
// workFolders(): with no controller chosen there are no notes, and every write fails.
struct DayComments
{
    static constexpr int PreviewLength = 30;

    QMap<int, int> commentFiles;        // day index -> file number
    QMap<int, QString> commentPreviews; // day index -> beginning of the note (tooltip)
    QString descriptionText;
    bool hasDescription = false;

    // Rebuilds the maps and the description from the folders.
    void load();

    bool hasComment(int day) const { return commentFiles.contains(day); }
    QString preview(int day) const { return commentPreviews.value(day); }
    // The note of a day as stored; empty when it has none or its file cannot be read.
    QString commentText(int day) const;

    // Each returns the path of a file that could not be written, or an empty string on success.
    QString saveComment(int day, const QString &text);
    QString deleteComment(int day);  // the note's file stays; its number may be reused
    QString saveDescription(const QString &text);
    QString deleteDescription();

    // Replaces every note, the index and the description with the given files (file number ->
    // content) and reloads. Stale note files are removed only after the new ones are written.
    QString replaceAll(const QByteArray &index, const QMap<int, QByteArray> &files, const QByteArray &description);

    // Smallest file number from 0 upwards that no note uses.
    int nextFileNumber() const;
    static QByteArray indexBytes(const QMap<int, int> &files);
    // The tooltip text of a note read from the folder: its first line, cut to PreviewLength
    // characters (a note just saved shows its first PreviewLength characters).
    static QString previewOf(const QString &text);

    // Paths in the chosen controller's folders; empty with no controller chosen.
    static QString indexPath();
    static QString notePath(int fileNumber);
    static QString descriptionPath();

    // Notes kept before they were kept per controller lie directly in "comments" ("main.txt",
    // "<number>.txt") and "gencomments" ("maindescr.txt") of the data folder; other files there
    // are left alone. They move to one controller, once: to the controller given
    // here unless a move begun earlier named another one (then to that one), and only to a
    // controller that keeps no notes of its own yet. A marker file naming the controller is
    // written before the first file moves, and each file moves with one rename, so that a run cut
    // short loses nothing and the next sign-in finishes the move to the same controller. A name
    // already taken there is never overwritten: that file stays where it was. Returns the
    // controller the notes moved to, 0 when nothing moved.
    static quint64 moveSharedNotes(quint64 address);

    void reset() { *this = DayComments(); }

private:
    QString writeIndex() const;
};

DayComments &dayComments();
