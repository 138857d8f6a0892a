#include "model/daycomments.h"

#include "model/filewrite.h"
#include "model/workfolders.h"

#include <QFile>
#include <QSet>

namespace {
const QString IndexName = QStringLiteral("main.txt");
const QString DescriptionName = QStringLiteral("maindescr.txt");

// A non-negative decimal number, as the index lines and note file names carry it.
bool readNumber(const QString &text, int *value)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < 0)
        return false;
    *value = v;
    return true;
}
} // namespace

QString DayComments::indexPath()
{
    return workFolders().commentDir.filePath(IndexName);
}

QString DayComments::notePath(int fileNumber)
{
    return workFolders().commentDir.filePath(QString::number(fileNumber) + QStringLiteral(".txt"));
}

QString DayComments::descriptionPath()
{
    return workFolders().generalCommentDir.filePath(DescriptionName);
}

QString DayComments::previewOf(const QString &text)
{
    const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
    QString line = lineEnd < 0 ? text : text.left(lineEnd);
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    return line.left(PreviewLength);
}

QByteArray DayComments::indexBytes(const QMap<int, int> &files)
{
    QByteArray out;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        out += QByteArray::number(it.key()) + ',' + QByteArray::number(it.value()) + '\n';
    return out;
}

void DayComments::load()
{
    commentFiles.clear();
    commentPreviews.clear();
    const QSet<QString> present = [] {
        const QStringList names = workFolders().commentDir.entryList({QStringLiteral("*.txt")}, QDir::Files);
        return QSet<QString>(names.cbegin(), names.cend());
    }();

    QByteArray index;
    if (readWholeFile(indexPath(), &index)) {
        const QStringList lines = QString::fromUtf8(index).split(QLatin1Char('\n'));
        for (const QString &line : lines) {
            const qsizetype comma = line.indexOf(QLatin1Char(','));
            int day = 0;
            int number = 0;
            if (comma < 0 || !readNumber(line.left(comma), &day) || !readNumber(line.mid(comma + 1), &number))
                continue;
            if (!present.contains(QString::number(number) + QStringLiteral(".txt")))
                continue;
            QByteArray note;
            if (!readWholeFile(notePath(number), &note))
                continue;
            commentFiles.insert(day, number);
            commentPreviews.insert(day, previewOf(QString::fromUtf8(note)));
        }
    }

    QByteArray description;
    descriptionText = readWholeFile(descriptionPath(), &description) ? QString::fromUtf8(description) : QString();
    hasDescription = !descriptionText.isEmpty();
}

QString DayComments::commentText(int day) const
{
    const auto it = commentFiles.constFind(day);
    QByteArray note;
    if (it == commentFiles.cend() || !readWholeFile(notePath(it.value()), &note))
        return QString();
    return QString::fromUtf8(note);
}

int DayComments::nextFileNumber() const
{
    const QList<int> used = commentFiles.values();
    int number = 0;
    while (used.contains(number))
        ++number;
    return number;
}

QString DayComments::writeIndex() const
{
    return writeWholeFile(indexPath(), indexBytes(commentFiles)) ? QString() : indexPath();
}

QString DayComments::saveComment(int day, const QString &text)
{
    const bool known = commentFiles.contains(day);
    const int number = known ? commentFiles.value(day) : nextFileNumber();
    if (!writeWholeFile(notePath(number), text.toUtf8()))
        return notePath(number);
    // a note just written shows its first characters, whatever its lines
    commentPreviews.insert(day, text.left(PreviewLength));
    if (known)
        return QString();
    commentFiles.insert(day, number);
    return writeIndex();
}

QString DayComments::deleteComment(int day)
{
    if (!commentFiles.contains(day))
        return QString();
    commentFiles.remove(day);
    commentPreviews.remove(day);
    return writeIndex();
}

QString DayComments::saveDescription(const QString &text)
{
    if (!writeWholeFile(descriptionPath(), text.toUtf8()))
        return descriptionPath();
    descriptionText = text;
    hasDescription = !text.isEmpty();
    return QString();
}

QString DayComments::deleteDescription()
{
    return saveDescription(QString());
}

QString DayComments::replaceAll(const QByteArray &index, const QMap<int, QByteArray> &files, const QByteArray &description)
{
    QString failed;
    QSet<QString> written;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        if (writeWholeFile(notePath(it.key()), it.value()))
            written.insert(QString::number(it.key()) + QStringLiteral(".txt"));
        else if (failed.isEmpty())
            failed = notePath(it.key());
    }
    if (writeWholeFile(indexPath(), index))
        written.insert(IndexName);
    else if (failed.isEmpty())
        failed = indexPath();
    if (!writeWholeFile(descriptionPath(), description) && failed.isEmpty())
        failed = descriptionPath();

    // Notes of the previous plan must not come back through a later index.
    if (failed.isEmpty()) {
        QDir dir = workFolders().commentDir;
        const QStringList names = dir.entryList({QStringLiteral("*.txt")}, QDir::Files);
        for (const QString &name : names) {
            if (!written.contains(name))
                dir.remove(name);
        }
    }
    load();
    return failed;
}

DayComments &dayComments()
{
    static DayComments comments;
    return comments;
}
