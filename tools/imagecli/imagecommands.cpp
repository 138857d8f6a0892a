#include "imagecommands.h"

#include "model/configimage.h"
#include "model/plandiff.h"
#include "model/planimage.h"
#include "model/statejson.h"

#include <QFile>
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

} // namespace

InspectOutput inspectImage(const QString &path)
{
    QByteArray body;
    QString error;
    if (!readFile(path, &body, &error))
        return failure(path, error);

    ControllerState state;
    state.resetToEmptyForm();
    const DecodeResult result = decodeConfigImage(state, body);
    linkTimerRows(state);

    InspectOutput out;
    out.ok = true;
    out.data = QJsonDocument(stateToJson(state, result)).toJson(QJsonDocument::Indented);
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
    out.data = QJsonDocument(planDiffToJson(diffPlans(planOfImage(a), planOfImage(b)))).toJson(QJsonDocument::Indented);
    return out;
}
