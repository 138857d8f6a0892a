#include "checkcommand.h"

#include "model/codec/configimage.h"
#include "model/plan/plancheck.h"
#include "model/codec/planimage.h"
#include "model/files/scenariofile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// A scenario file with its notes may be larger than an image; anything beyond this is no plan.
constexpr qint64 MaxInput = 16 * 1024 * 1024;

InspectOutput failure(const QString &path, const QString &what)
{
    InspectOutput out;
    out.error = path + QStringLiteral(": ") + what;
    return out;
}

QJsonValue indexOrNull(int index)
{
    return index >= 0 ? QJsonValue(index) : QJsonValue(QJsonValue::Null);
}

QJsonObject findingJson(const PlanFinding &f)
{
    const QString phase = phaseName(f.phase);
    QJsonObject json{{QStringLiteral("code"), f.code},
                     {QStringLiteral("severity"), severityName(f.severity)},
                     {QStringLiteral("scenario"), indexOrNull(f.scenario)},
                     {QStringLiteral("output"), f.output > 0 ? QJsonValue(f.output) : QJsonValue(QJsonValue::Null)},
                     {QStringLiteral("phase"), phase.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(phase)},
                     {QStringLiteral("row"), indexOrNull(f.row)},
                     {QStringLiteral("text"), f.text}};
    if (f.day >= 0)
        json.insert(QStringLiteral("day"), f.day);
    return json;
}

} // namespace

InspectOutput checkPlanFile(const QString &path, bool *errors)
{
    *errors = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(path, file.errorString());
    const QByteArray data = file.read(MaxInput + 1);
    if (data.size() > MaxInput)
        return failure(path, QStringLiteral("larger than %1 KiB").arg(MaxInput / 1024));

    QByteArray body;
    if (path.endsWith(QLatin1String(".scn"), Qt::CaseInsensitive)) {
        ScenarioFileContent content;
        if (!readScenarioFile(data, &content))
            return failure(path, QStringLiteral("damaged scenario file: a length runs past the end or bytes are left over"));
        body = content.image;
    } else {
        // an image as the controller and the snapshots keep it may start with its 64-byte header
        const bool header = data.size() >= ImageHeaderSize && quint8(data.at(0)) == 0x11 && quint8(data.at(1)) == 0x22;
        body = header ? data.mid(ImageHeaderSize) : data;
    }
    if (!imageHoldsWholePlan(body))
        return failure(path, QStringLiteral("damaged: the image holds no whole plan"));

    const QList<PlanFinding> findings = checkPlan(planOfImage(body));
    QJsonArray list;
    for (const PlanFinding &f : findings)
        list.append(findingJson(f));
    *errors = hasPlanErrors(findings);
    InspectOutput out;
    out.ok = true;
    out.data = QJsonDocument(QJsonObject{{QStringLiteral("findings"), list}}).toJson(QJsonDocument::Indented);
    return out;
}
