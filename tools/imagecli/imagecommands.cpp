#include "imagecommands.h"

#include "model/clock.h"
#include "model/codec/configimage.h"
#include "model/log/eventlog.h"
#include "model/files/scenariofile.h"
#include "model/plan/plandiff.h"
#include "model/codec/planimage.h"
#include "model/codec/statejson.h"

#include <QFile>
#include <QtEndian>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonDocument>
#include <QJsonParseError>

namespace {

InspectOutput failure(const QString &path, const QString &what)
{
    InspectOutput out;
    out.error = path + QStringLiteral(": ") + what;
    return out;
}

// Images and logs fit the controller's 64 KiB address space; a JSON form or a scenario file with
// its notes may be larger, but nothing the program writes comes near the text limit.
constexpr qint64 MaxBinaryInput = 64 * 1024;
constexpr qint64 MaxTextInput = 16 * 1024 * 1024;

// Reads at most limit bytes: a larger input (or an endless one such as /dev/zero) is an error.
bool readFile(const QString &path, QByteArray *data, QString *error, qint64 limit = MaxBinaryInput)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    data->clear();
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(chunk.data(), chunk.size());
        if (n < 0) {
            *error = file.errorString();
            return false;
        }
        if (n == 0)
            return true;
        if (data->size() + n > limit) {
            *error = QStringLiteral("larger than %1 KiB").arg(limit / 1024);
            return false;
        }
        data->append(chunk.constData(), n);
    }
}

// An image file as the controller holds it: the 64-byte header, then the body.
struct ImageFile
{
    QByteArray body;
    bool header = false;
    int headerLength = 0;  // total length the header gives
    bool headerSound = false;  // that length is the file's and the filler is zero
};

ImageFile splitImageFile(const QByteArray &data)
{
    ImageFile file;
    // 0x11 starts no record, so a body never begins this way
    file.header = data.size() >= ImageHeaderSize && quint8(data.at(0)) == 0x11 && quint8(data.at(1)) == 0x22;
    if (!file.header) {
        file.body = data;
        return file;
    }
    file.headerLength = qFromLittleEndian<quint16>(data.constData() + 2);
    file.headerSound = file.headerLength == data.size();
    for (int i = 4; i < ImageHeaderSize; ++i)
        file.headerSound = file.headerSound && data.at(i) == 0;
    file.body = data.mid(ImageHeaderSize);
    return file;
}

ControllerState decodedState(const QByteArray &body, DecodeResult *result)
{
    ControllerState state;
    state.resetToEmptyForm();
    *result = decodeConfigImage(state, body);
    linkTimerRows(state);
    return state;
}

QJsonObject imageJson(const QByteArray &body)
{
    DecodeResult result;
    const ControllerState state = decodedState(body, &result);
    return stateToJson(state, result);
}

QJsonObject imageFileJson(const ImageFile &file)
{
    QJsonObject json = imageJson(file.body);
    if (file.header) {
        json.insert(QStringLiteral("header"), true);
        json.insert(QStringLiteral("headerLength"), file.headerLength);
        if (!file.headerSound)
            json.insert(QStringLiteral("complete"), false);
    }
    return json;
}

} // namespace

InspectOutput inspectImage(const QString &path)
{
    QByteArray data;
    QString error;
    if (!readFile(path, &data, &error))
        return failure(path, error);

    InspectOutput out;
    out.ok = true;
    out.data = QJsonDocument(imageFileJson(splitImageFile(data))).toJson(QJsonDocument::Indented);
    return out;
}

InspectOutput inspectScenarioFile(const QString &path)
{
    QByteArray data;
    QString error;
    if (!readFile(path, &data, &error, MaxTextInput))
        return failure(path, error);
    ScenarioFileContent content;
    if (!readScenarioFile(data, &content))
        return failure(path, QStringLiteral("damaged scenario file: a length runs past the end or bytes are left over"));
    if (!imageHoldsWholePlan(content.image))
        return failure(path, QStringLiteral("damaged scenario file: the image holds no whole plan"));

    QJsonArray index;
    const QStringList lines = QString::fromUtf8(content.index).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines)
        index.append(line);
    QJsonArray comments;
    for (const ScenarioNote &note : std::as_const(content.notes))
        comments.append(QJsonObject{{QStringLiteral("number"), note.number}, {QStringLiteral("text"), QString::fromUtf8(note.text)}});
    const QJsonObject json{{QStringLiteral("image"), imageJson(content.image)},
                           {QStringLiteral("index"), index},
                           {QStringLiteral("comments"), comments},
                           {QStringLiteral("description"), QString::fromUtf8(content.description)}};
    InspectOutput out;
    out.ok = true;
    out.data = QJsonDocument(json).toJson(QJsonDocument::Indented);
    return out;
}

InspectOutput encodeImage(const QString &path)
{
    QByteArray text;
    QString error;
    if (!readFile(path, &text, &error, MaxTextInput))
        return failure(path, error);

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return failure(path, QStringLiteral("invalid JSON at offset %1: %2").arg(parseError.offset).arg(parseError.errorString()));
    if (!document.isObject())
        return failure(path, QStringLiteral("expected a JSON object"));

    // The header belongs to the file, not to the state; headerLength is written only.
    QJsonObject json = document.object();
    const QJsonValue header = json.take(QStringLiteral("header"));
    json.remove(QStringLiteral("headerLength"));
    if (!header.isUndefined() && !header.isBool())
        return failure(path, QStringLiteral("header: expected true or false"));

    ControllerState state;
    if (!stateFromJson(json, state, &error))
        return failure(path, error);

    QByteArray body;
    const QByteArray imageHeader = encodeConfigImage(state, body);
    // An image the controller cannot take is of no use, with or without its header.
    if (imageHeader.isEmpty())
        return failure(path, QStringLiteral("the image (%1 bytes with its header) does not fit the controller's %2 bytes")
                                 .arg(body.size() + ImageHeaderSize).arg(MaxImageSize));
    InspectOutput out;
    out.ok = true;
    out.data = header.toBool() ? imageHeader + body : body;
    return out;
}

InspectOutput inspectLog(const QString &imagePath, const QString &logPath, const QString &nowText)
{
    QDateTime now = Clock::now();
    if (!nowText.isEmpty()) {
        now = QDateTime::fromString(nowText, Qt::ISODate);
        if (!now.isValid())
            return failure(nowText, QStringLiteral("expected a time like 2026-03-01T12:00:00"));
        now = now.toLocalTime();
    }
    QByteArray image;
    QByteArray log;
    QString error;
    if (!readFile(imagePath, &image, &error))
        return failure(imagePath, error);
    if (!readFile(logPath, &log, &error))
        return failure(logPath, error);

    DecodeResult result;
    ControllerState state = decodedState(splitImageFile(image).body, &result);
    parseEventLog(state, log, now);

    QJsonArray records;
    for (const EventRecord &e : std::as_const(state.events)) {
        QJsonObject o;
        o.insert(QStringLiteral("sensor"), e.sensor);
        o.insert(QStringLiteral("channel"), e.channel);
        o.insert(QStringLiteral("time"), e.time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));
        o.insert(QStringLiteral("cycle"), e.cycle);
        o.insert(QStringLiteral("hourInCycle"), e.hourInCycle);
        o.insert(QStringLiteral("min"), double(e.min));
        o.insert(QStringLiteral("avg"), double(e.avg));
        o.insert(QStringLiteral("max"), double(e.max));
        o.insert(QStringLiteral("minHit"), e.minHit);
        o.insert(QStringLiteral("maxHit"), e.maxHit);
        records.append(o);
    }
    InspectOutput out;
    out.ok = true;
    out.data = QJsonDocument(records).toJson(QJsonDocument::Indented);
    return out;
}

InspectOutput diffImages(const QString &pathA, const QString &pathB)
{
    QByteArray a;
    QByteArray b;
    QString error;
    if (!readFile(pathA, &a, &error))
        return failure(pathA, error);
    if (!readFile(pathB, &b, &error))
        return failure(pathB, error);

    InspectOutput out;
    out.ok = true;
    const PlanDiff diff = diffPlans(planOfImage(splitImageFile(a).body), planOfImage(splitImageFile(b).body));
    out.data = QJsonDocument(planDiffToJson(diff)).toJson(QJsonDocument::Indented);
    return out;
}
