#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// Day comments and the scenario description. The notes live as UTF-8 text files: in the comments
// folder one file per note ("<number>.txt") and the index "main.txt" (lines "day,number"); in the
// description folder "maindescr.txt". This keeps the in-memory picture of them (one program-wide
// instance, dayComments()). Folders come from workFolders().
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

    static QString indexPath();
    static QString notePath(int fileNumber);
    static QString descriptionPath();

    void reset() { *this = DayComments(); }

private:
    QString writeIndex() const;
};

DayComments &dayComments();
