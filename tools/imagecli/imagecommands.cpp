#include "imagecommands.h"

#include "model/clock.h"
#include "model/configimage.h"
#include "model/eventlog.h"
#include "model/scenariofile.h"
#include "model/statejson.h"

#include <QFile>
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

bool readFile(const QString &path, QByteArray *data, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    *data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QJsonObject imageJson(const QByteArray &body)
{
    ControllerState state;
    state.resetToEmptyForm();
    const DecodeResult result = decodeConfigImage(state, body);
    linkTimerRows(state);
    return stateToJson(state, result);
}

} // namespace

InspectOutput inspectImage(const QString &path)
{
    QByteArray body;
    QString error;
    if (!readFile(path, &body, &error))
        return failure(path, error);

    InspectOutput out;
    out.ok = true;
    out.data = QJsonDocument(imageJson(body)).toJson(QJsonDocument::Indented);
    return out;
}

InspectOutput inspectScenarioFile(const QString &path)
{
    QByteArray data;
    QString error;
    if (!readFile(path, &data, &error))
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
    if (!readFile(path, &text, &error))
        return failure(path, error);

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return failure(path, QStringLiteral("invalid JSON at offset %1: %2").arg(parseError.offset).arg(parseError.errorString()));
    if (!document.isObject())
        return failure(path, QStringLiteral("expected a JSON object"));

    ControllerState state;
    if (!stateFromJson(document.object(), state, &error))
        return failure(path, error);

    QByteArray body;
    encodeConfigImage(state, body);
    InspectOutput out;
    out.ok = true;
    out.data = body;
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
    QByteArray body;
    QByteArray log;
    QString error;
    if (!readFile(imagePath, &body, &error))
        return failure(imagePath, error);
    if (!readFile(logPath, &log, &error))
        return failure(logPath, error);

    ControllerState state;
    state.resetToEmptyForm();
    decodeConfigImage(state, body);
    linkTimerRows(state);
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
