#include "model/files/daycomments.h"

#include "model/files/filewrite.h"
#include "model/files/workfolders.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace {
const QString IndexName = QStringLiteral("main.txt");
const QString DescriptionName = QStringLiteral("maindescr.txt");
// In the shared "comments" folder while its notes move to a controller: that controller's address.
const QString MoveMarkerName = QStringLiteral(".moving-to");

bool hasFolder()
{
    return workFolders().hasController();
}

// What a write reports with no controller chosen: the folder it could not write into.
QString noFolder()
{
    return WorkFolders::commentsPath();
}

// Moves the files named from one folder to another with one rename each; a name taken in the
// target stays where it was. False when anything stayed.
bool moveFiles(const QDir &from, const QDir &to, const QStringList &names)
{
    bool all = true;
    for (const QString &name : names) {
        const QString target = to.filePath(name);
        if (QFileInfo::exists(target) || !QFile::rename(from.filePath(name), target))
            all = false;
    }
    return all;
}

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
    return hasFolder() ? workFolders().commentDir.filePath(IndexName) : QString();
}

QString DayComments::notePath(int fileNumber)
{
    return hasFolder() ? workFolders().commentDir.filePath(QString::number(fileNumber) + QStringLiteral(".txt")) : QString();
}

QString DayComments::descriptionPath()
{
    return hasFolder() ? workFolders().generalCommentDir.filePath(DescriptionName) : QString();
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
    descriptionText.clear();
    hasDescription = false;
    if (!hasFolder())
        return;
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
    if (!hasFolder())
        return noFolder();
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
    if (!hasFolder())
        return noFolder();
    if (!commentFiles.contains(day))
        return QString();
    commentFiles.remove(day);
    commentPreviews.remove(day);
    return writeIndex();
}

QString DayComments::saveDescription(const QString &text)
{
    if (!hasFolder())
        return noFolder();
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
    if (!hasFolder())
        return noFolder();
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

quint64 DayComments::moveSharedNotes(quint64 address)
{
    const QDir shared(WorkFolders::commentsPath());
    const QDir sharedGeneral(WorkFolders::generalCommentsPath());
    const QString marker = shared.filePath(MoveMarkerName);
    // only the files the program itself keeps there: the index, numbered notes, the description
    // (the controllers' folders are folders, the marker is hidden, anything else is not ours)
    static const QRegularExpression noteName(QStringLiteral("^(main|\\d+)\\.txt$"));
    QStringList notes = shared.entryList(QDir::Files, QDir::Name).filter(noteName);
    const QStringList descriptions = sharedGeneral.entryList({DescriptionName}, QDir::Files);
    if (notes.isEmpty() && descriptions.isEmpty()) {
        QFile::remove(marker);
        return 0;
    }

    quint64 target = 0;
    QByteArray named;
    if (readWholeFile(marker, &named))
        target = named.trimmed().toULongLong();
    if (target == 0) {
        // a first move: to this controller, unless it keeps notes of its own already
        if (address == 0)
            return 0;
        const auto holdsFiles = [](const QString &path) { return !QDir(path).entryList(QDir::Files).isEmpty(); };
        if (holdsFiles(WorkFolders::controllerCommentsPath(address))
            || holdsFiles(WorkFolders::controllerGeneralCommentsPath(address)))
            return 0;
        target = address;
        if (!writeWholeFile(marker, QByteArray::number(target) + '\n'))
            return 0;
    }
    const QDir to(WorkFolders::controllerCommentsPath(target));
    const QDir toGeneral(WorkFolders::controllerGeneralCommentsPath(target));
    if (!QDir().mkpath(to.path()) || !QDir().mkpath(toGeneral.path()))
        return 0;
    // the notes before their index, so that the controller's index never names a note not there yet
    const bool hasIndex = notes.removeOne(IndexName);
    bool all = moveFiles(shared, to, notes);
    if (hasIndex)
        all = moveFiles(shared, to, {IndexName}) && all;
    all = moveFiles(sharedGeneral, toGeneral, descriptions) && all;
    // done only when everything moved; otherwise the next sign-in goes on with the same controller
    if (all)
        QFile::remove(marker);
    return target;
}

DayComments &dayComments()
{
    static DayComments comments;
    return comments;
}
