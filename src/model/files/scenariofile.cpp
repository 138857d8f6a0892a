#include "model/files/scenariofile.h"

#include "model/codec/configimage.h"
#include "model/files/daycomments.h"
#include "model/files/filewrite.h"
#include "model/codec/planimage.h"

#include <QtEndian>

namespace {

constexpr qsizetype LengthSize = 4;
constexpr qsizetype NumberSize = 2;

void appendBlock(QByteArray &out, const QByteArray &bytes)
{
    char length[LengthSize];
    qToLittleEndian<quint32>(quint32(bytes.size()), length);
    out.append(length, LengthSize);
    out.append(bytes);
}

// A cursor over the file that never reads past its end.
class Reader
{
public:
    Reader(const QByteArray &data, qsizetype pos) : m_data(data), m_pos(pos) {}
    bool atEnd() const { return m_pos == m_data.size(); }
    qsizetype left() const { return m_data.size() - m_pos; }

    bool block(QByteArray *bytes)
    {
        if (left() < LengthSize)
            return false;
        const quint32 length = qFromLittleEndian<quint32>(m_data.constData() + m_pos);
        if (qint64(length) > qint64(left() - LengthSize))
            return false;
        *bytes = m_data.mid(m_pos + LengthSize, qsizetype(length));
        m_pos += LengthSize + qsizetype(length);
        return true;
    }
    bool number(int *value)
    {
        if (left() < NumberSize)
            return false;
        *value = qFromLittleEndian<qint16>(m_data.constData() + m_pos);
        m_pos += NumberSize;
        return true;
    }
    qsizetype pos() const { return m_pos; }

private:
    const QByteArray &m_data;
    qsizetype m_pos;
};

// Items from pos to the very end of the file; false when any does not fit.
bool readItems(const QByteArray &data, qsizetype pos, ScenarioFileContent *out)
{
    Reader r(data, pos);
    while (!r.atEnd()) {
        int number = 0;
        QByteArray bytes;
        if (!r.number(&number) || !r.block(&bytes))
            return false;
        if (number < 0)
            out->description = bytes;
        else
            out->notes.append({number, bytes});
    }
    return true;
}

} // namespace

QByteArray writeScenarioFile(const ScenarioFileContent &content)
{
    QByteArray out;
    appendBlock(out, content.image);
    // Always present, even empty, so that a reader finds the items where it expects them.
    appendBlock(out, content.index);
    for (const ScenarioNote &note : content.notes) {
        if (note.text.isEmpty())
            continue;
        char number[NumberSize];
        qToLittleEndian<qint16>(qint16(note.number), number);
        out.append(number, NumberSize);
        appendBlock(out, note.text);
    }
    if (!content.description.isEmpty()) {
        char number[NumberSize];
        qToLittleEndian<qint16>(qint16(-1), number);
        out.append(number, NumberSize);
        appendBlock(out, content.description);
    }
    return out;
}

bool readScenarioFile(const QByteArray &data, ScenarioFileContent *content)
{
    ScenarioFileContent read;
    Reader r(data, 0);
    if (!r.block(&read.image))
        return false;
    if (!r.atEnd()) {
        const qsizetype afterImage = r.pos();
        ScenarioFileContent withIndex = read;
        if (r.block(&withIndex.index) && readItems(data, r.pos(), &withIndex)) {
            read = withIndex;
        } else if (!readItems(data, afterImage, &read)) {
            return false;
        }
    }
    // Other writers store the image as read, in whole blocks: only the controller's image counts.
    const QByteArray image = controllerImageIn(read.image);
    if (!image.isEmpty())
        read.image = image;
    *content = read;
    return true;
}

bool imageHoldsWholePlan(const QByteArray &body)
{
    ControllerState state;
    state.resetToEmptyForm();
    const DecodeResult result = decodeConfigImage(state, body);
    return result.complete && state.workCycleKnown && state.cycleCount > 0 && !state.scenarios.isEmpty()
           && !state.scenarios.first().name.isEmpty();
}

ScenarioFilePaths scenarioFilePaths(const QString &chosen)
{
    ScenarioFilePaths paths;
    paths.scenario = chosen.endsWith(QStringLiteral(".scn")) ? chosen : chosen + QStringLiteral(".scn");
    paths.companion = paths.scenario.left(paths.scenario.size() - 4) + QStringLiteral(".txt");
    return paths;
}

QString folderOfPath(const QString &path)
{
    const qsizetype cut = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return cut < 0 ? QString() : path.left(cut);
}

ScenarioFileContent collectScenarioFile(const QByteArray &image)
{
    ScenarioFileContent content;
    content.image = image;
    const DayComments &comments = dayComments();
    if (!comments.commentFiles.isEmpty())
        readWholeFile(DayComments::indexPath(), &content.index);
    for (auto it = comments.commentFiles.cbegin(); it != comments.commentFiles.cend(); ++it) {
        QByteArray note;
        if (readWholeFile(DayComments::notePath(it.value()), &note) && !note.isEmpty())
            content.notes.append({it.value(), note});
    }
    readWholeFile(DayComments::descriptionPath(), &content.description);
    return content;
}
