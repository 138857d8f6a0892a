#include "model/codec/statejson.h"

#include "model/codec/configimageformat.h"
#include "model/numericutil.h"
#include "model/codec/sensorcatalogue.h"
#include "model/wallclock.h"

#include <QJsonArray>
#include <QSet>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <initializer_list>
#include <limits>

namespace {

// Typed access to JSON values that records the first problem with the path where it was found.
class JsonReader
{
public:
    QString error;

    bool failed() const { return !error.isEmpty(); }

    void fail(const QString &path, const QString &what)
    {
        if (error.isEmpty())
            error = path + QStringLiteral(": ") + what;
    }

    // A key the form does not know would be dropped without a word: it is an error instead.
    void onlyKeys(const QJsonObject &o, const QString &path, std::initializer_list<const char *> known)
    {
        for (auto it = o.begin(); it != o.end() && !failed(); ++it) {
            const QString key = it.key();
            if (std::none_of(known.begin(), known.end(), [&](const char *k) { return key == QLatin1String(k); }))
                fail(member(path, key), QStringLiteral("unknown key"));
        }
    }

    static QString member(const QString &path, const QString &key)
    {
        return path.isEmpty() ? key : path + QLatin1Char('.') + key;
    }

    static QString element(const QString &path, qsizetype i)
    {
        return path + QLatin1Char('[') + QString::number(i) + QLatin1Char(']');
    }

    qint64 integer(const QJsonValue &v, const QString &path, qint64 min, qint64 max)
    {
        if (v.isDouble()) {
            const qint64 x = v.toInteger();
            if (double(x) == v.toDouble() && x >= min && x <= max)
                return x;
        }
        fail(path, QStringLiteral("expected an integer in %1..%2").arg(min).arg(max));
        return min;
    }

    qint64 integer(const QJsonObject &o, const QString &path, const QString &key, qint64 min, qint64 max, qint64 absent)
    {
        const QJsonValue v = o.value(key);
        return v.isUndefined() ? absent : integer(v, member(path, key), min, max);
    }

    // A number, or null for a value JSON cannot hold (NaN).
    double number(const QJsonValue &v, const QString &path)
    {
        if (v.isDouble())
            return v.toDouble();
        if (v.isNull())
            return std::numeric_limits<double>::quiet_NaN();
        fail(path, QStringLiteral("expected a number"));
        return 0;
    }

    QString string(const QJsonObject &o, const QString &path, const QString &key, const QString &absent)
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return absent;
        if (!v.isString())
            fail(member(path, key), QStringLiteral("expected a string"));
        return v.toString();
    }

    bool boolean(const QJsonObject &o, const QString &path, const QString &key, bool absent)
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return absent;
        if (!v.isBool())
            fail(member(path, key), QStringLiteral("expected true or false"));
        return v.toBool();
    }

    QJsonArray array(const QJsonObject &o, const QString &path, const QString &key)
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return QJsonArray();
        if (!v.isArray())
            fail(member(path, key), QStringLiteral("expected an array"));
        return v.toArray();
    }

    QJsonObject object(const QJsonValue &v, const QString &path)
    {
        if (!v.isObject())
            fail(path, QStringLiteral("expected an object"));
        return v.toObject();
    }

    QList<double> numbers(const QJsonObject &o, const QString &path, const QString &key)
    {
        QList<double> values;
        const QJsonArray a = array(o, path, key);
        for (qsizetype i = 0; i < a.size(); ++i)
            values.append(number(a.at(i), element(member(path, key), i)));
        return values;
    }

    QByteArray hex(const QJsonObject &o, const QString &path, const QString &key)
    {
        QString text = string(o, path, key, QString());
        text.remove(QLatin1Char(' '));
        for (QChar c : text) {
            if (c.unicode() > 0x7F || !std::isxdigit(c.unicode())) {
                fail(member(path, key), QStringLiteral("expected hexadecimal bytes"));
                return QByteArray();
            }
        }
        if (text.size() % 2 != 0) {
            fail(member(path, key), QStringLiteral("expected hexadecimal bytes"));
            return QByteArray();
        }
        return QByteArray::fromHex(text.toLatin1());
    }
};

constexpr qint64 U8Max = 0xFF;
constexpr qint64 U16Max = 0xFFFF;
constexpr qint64 IntMax = std::numeric_limits<int>::max();
constexpr qint64 IntMin = std::numeric_limits<int>::min();

// Reads the elements of an array of objects that carry an "index" in 0..count-1, each at most once.
template<typename Fn>
void readIndexed(JsonReader &r, const QJsonObject &json, const QString &key, int count, Fn readOne)
{
    QSet<qint64> seen;
    const QJsonArray items = r.array(json, QString(), key);
    for (qsizetype i = 0; i < items.size() && !r.failed(); ++i) {
        const QString path = JsonReader::element(key, i);
        const QJsonObject o = r.object(items.at(i), path);
        const qint64 index = r.integer(o.value(QStringLiteral("index")), JsonReader::member(path, QStringLiteral("index")), 0, count - 1);
        if (r.failed())
            return;
        if (seen.contains(index)) {
            r.fail(path, QStringLiteral("index %1 given twice").arg(index));
            return;
        }
        seen.insert(index);
        readOne(o, path, int(index));
    }
}

// What a sensor section holds when decoded alone; false when it is not one whole section the
// decoder accepts for the given input.
bool sectionContent(JsonReader &r, const QByteArray &section, const QString &path, int index, SensorSlot *held)
{
    ControllerState alone;
    alone.resetToEmptyForm();
    const DecodeResult result = decodeConfigImage(alone, section);
    if (result.acceptedSensors.size() != 1 || alone.sensors.at(result.acceptedSensors.first()).section != section) {
        r.fail(path, QStringLiteral("not one whole sensor section of a known type"));
        return false;
    }
    if (result.acceptedSensors.first() != index) {
        r.fail(path, QStringLiteral("the section is input %1's, not input %2's").arg(result.acceptedSensors.first()).arg(index));
        return false;
    }
    *held = alone.sensors.at(index);
    return true;
}

bool sameCalibration(const QList<CalibrationEntry> &a, const QList<CalibrationEntry> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        // JSON carries no NaN or infinities: any of them comes back as NaN
        const bool sameOffset = a.at(i).offset == b.at(i).offset || (!std::isfinite(a.at(i).offset) && !std::isfinite(b.at(i).offset));
        if (a.at(i).marker != b.at(i).marker || !sameOffset)
            return false;
    }
    return true;
}

QString channelsText(const QList<int> &channels)
{
    QStringList ids;
    for (int channel : channels)
        ids.append(QString::number(channel));
    return QLatin1Char('[') + ids.join(QLatin1Char(',')) + QLatin1Char(']');
}

// The section is what the encoder writes; the other fields describe it. Absent ones are taken from
// the section, given ones must agree with it, so that no edit of them is silently lost.
void readSensor(JsonReader &r, const QJsonObject &o, const QString &path, int index, SensorSlot &sensor)
{
    r.onlyKeys(o, path, {"index", "type", "typeName", "name", "channels", "calibration", "section"});
    sensor.section = r.hex(o, path, QStringLiteral("section"));
    const QString sectionPath = JsonReader::member(path, QStringLiteral("section"));
    SensorSlot held = sensor;
    const bool hasSection = !sensor.section.isEmpty();
    if (r.failed() || (hasSection && !sectionContent(r, sensor.section, sectionPath, index, &held)))
        return;

    sensor.type = int(r.integer(o, path, QStringLiteral("type"), 0, SensorTypeCount - 1, held.type));
    sensor.name = r.string(o, path, QStringLiteral("name"), held.name);
    if (o.contains(QStringLiteral("channels"))) {
        const QJsonArray channels = r.array(o, path, QStringLiteral("channels"));
        for (qsizetype i = 0; i < channels.size(); ++i) {
            sensor.channels.append(int(r.integer(channels.at(i), JsonReader::element(JsonReader::member(path, QStringLiteral("channels")), i),
                                                 1, ControllerState::ChannelIdCount - 1)));
        }
    } else {
        sensor.channels = held.channels;
    }
    if (o.contains(QStringLiteral("calibration"))) {
        const QJsonArray calibration = r.array(o, path, QStringLiteral("calibration"));
        for (qsizetype i = 0; i < calibration.size() && !r.failed(); ++i) {
            const QString at = JsonReader::element(JsonReader::member(path, QStringLiteral("calibration")), i);
            const QJsonObject entry = r.object(calibration.at(i), at);
            r.onlyKeys(entry, at, {"marker", "offset"});
            CalibrationEntry e;
            e.marker = int(r.integer(entry, at, QStringLiteral("marker"), 0, U8Max, 0));
            const QJsonValue offset = entry.value(QStringLiteral("offset"));
            e.offset = offset.isUndefined() ? 0.0f : toSinglePrecision(r.number(offset, JsonReader::member(at, QStringLiteral("offset"))));
            sensor.calibration.append(e);
        }
    } else {
        sensor.calibration = held.calibration;
    }
    if (r.failed())
        return;

    if (!hasSection) {
        if (sensor.type != SensorOff)
            r.fail(sectionPath, QStringLiteral("missing: an input of type %1 is written as its section").arg(sensor.type));
        return;
    }
    if (sensor.type != held.type)
        r.fail(sectionPath, QStringLiteral("holds type %1, not %2").arg(held.type).arg(sensor.type));
    else if (sensor.name != held.name)
        r.fail(sectionPath, QStringLiteral("holds the name \"%1\", not \"%2\"").arg(held.name, sensor.name));
    else if (sensor.channels != held.channels)
        r.fail(sectionPath, QStringLiteral("holds the channels %1, not %2").arg(channelsText(held.channels), channelsText(sensor.channels)));
    else if (!sameCalibration(sensor.calibration, held.calibration))
        r.fail(sectionPath, QStringLiteral("holds other calibration entries"));
}

// A kept section is given by its bytes; the fields beside them describe it and must agree.
KeptSensorSection readKeptSection(JsonReader &r, const QJsonObject &o, const QString &path)
{
    r.onlyKeys(o, path, {"input", "type", "name", "channels", "section"});
    const QString sectionPath = JsonReader::member(path, QStringLiteral("section"));
    const QByteArray bytes = r.hex(o, path, QStringLiteral("section"));
    KeptSensorSection kept;
    if (r.failed())
        return kept;
    if (!readSensorSection(bytes, &kept)) {
        r.fail(sectionPath, QStringLiteral("not one whole sensor section"));
        return kept;
    }
    if (r.integer(o, path, QStringLiteral("input"), 0, U8Max, kept.input) != kept.input)
        r.fail(sectionPath, QStringLiteral("is input %1's").arg(kept.input));
    else if (r.integer(o, path, QStringLiteral("type"), 0, U8Max, kept.type) != kept.type)
        r.fail(sectionPath, QStringLiteral("holds type %1").arg(kept.type));
    else if (r.string(o, path, QStringLiteral("name"), kept.name) != kept.name)
        r.fail(sectionPath, QStringLiteral("holds the name \"%1\"").arg(kept.name));
    else if (o.contains(QStringLiteral("channels"))) {
        QList<int> channels;
        const QJsonArray given = r.array(o, path, QStringLiteral("channels"));
        for (qsizetype i = 0; i < given.size(); ++i)
            channels.append(int(r.integer(given.at(i), JsonReader::element(JsonReader::member(path, QStringLiteral("channels")), i), 0, U8Max)));
        if (!r.failed() && channels != kept.channels)
            r.fail(sectionPath, QStringLiteral("holds the channels %1").arg(channelsText(kept.channels)));
    }
    return kept;
}

// Kept rows: 13-byte records of rows on sources no input offers, in ascending positions.
QList<KeptRow> readKeptRows(JsonReader &r, const QJsonObject &o, const QString &path, const QString &key)
{
    QList<KeptRow> rows;
    const QJsonArray items = r.array(o, path, key);
    for (qsizetype i = 0; i < items.size() && !r.failed(); ++i) {
        const QString at = JsonReader::element(JsonReader::member(path, key), i);
        const QJsonObject item = r.object(items.at(i), at);
        r.onlyKeys(item, at, {"position", "source", "record"});
        KeptRow row;
        row.position = int(r.integer(item.value(QStringLiteral("position")), JsonReader::member(at, QStringLiteral("position")), 0, IntMax));
        row.record = r.hex(item, at, QStringLiteral("record"));
        if (r.failed())
            break;
        const QString recordPath = JsonReader::member(at, QStringLiteral("record"));
        const int source = row.record.size() == ConditionRecordSize ? int(qint8(row.record.at(1))) : 0;
        if (row.record.size() != ConditionRecordSize || quint8(row.record.at(0)) != ImageTag::ConditionStart
            || quint8(row.record.at(ConditionRecordSize - 1)) != ImageTag::ConditionEnd)
            r.fail(recordPath, QStringLiteral("expected one condition record of %1 bytes").arg(ConditionRecordSize));
        else if (source == BaseStateSource || source == TimerSource)
            r.fail(recordPath, QStringLiteral("a row on source %1 is not kept, it is read").arg(source));
        else if (r.integer(item, at, QStringLiteral("source"), -128, 127, source) != source)
            r.fail(recordPath, QStringLiteral("reads source %1").arg(source));
        else if (!rows.isEmpty() && row.position <= rows.last().position)
            r.fail(JsonReader::member(at, QStringLiteral("position")), QStringLiteral("expected positions in ascending order"));
        rows.append(row);
    }
    return rows;
}

Condition readCondition(JsonReader &r, const QJsonObject &o, const QString &path)
{
    r.onlyKeys(o, path, {"ref", "text", "kind", "value", "valueBits", "priority", "action", "source", "params"});
    Condition row;
    row.ref = int(r.integer(o, path, QStringLiteral("ref"), TimerRef, ControllerState::SensorCount - 1, row.ref));
    row.text = r.string(o, path, QStringLiteral("text"), QString());
    row.kind = ConditionKind(r.integer(o, path, QStringLiteral("kind"), qint64(ConditionKind::Below), qint64(ConditionKind::Interval), qint64(row.kind)));
    const QJsonValue bits = o.value(QStringLiteral("valueBits"));
    const QJsonValue value = o.value(QStringLiteral("value"));
    if (!bits.isUndefined())
        row.value = quint32(r.integer(bits, JsonReader::member(path, QStringLiteral("valueBits")), 0, 0xFFFFFFFFLL));
    else if (!value.isUndefined())
        row.value = bitsFromFloat(toSinglePrecision(r.number(value, JsonReader::member(path, QStringLiteral("value")))));
    row.priority = int(r.integer(o, path, QStringLiteral("priority"), 0, U8Max, 0));
    row.action = ConditionAction(r.integer(o, path, QStringLiteral("action"), qint64(ConditionAction::On), qint64(ConditionAction::Off), qint64(row.action)));
    row.source = int(r.integer(o, path, QStringLiteral("source"), TimerSource, ControllerState::ChannelIdCount - 1, row.source));
    row.params = r.numbers(o, path, QStringLiteral("params"));
    return row;
}

QList<Condition> readConditions(JsonReader &r, const QJsonObject &o, const QString &path, const QString &key)
{
    QList<Condition> rows;
    const QJsonArray items = r.array(o, path, key);
    for (qsizetype i = 0; i < items.size() && !r.failed(); ++i) {
        const QString at = JsonReader::element(JsonReader::member(path, key), i);
        rows.append(readCondition(r, r.object(items.at(i), at), at));
    }
    return rows;
}

TimerSlot readTimer(JsonReader &r, const QJsonObject &o, const QString &path)
{
    r.onlyKeys(o, path, {"start", "duration", "period", "count", "usedByDay", "usedByNight", "dayRow", "nightRow"});
    TimerSlot timer;
    timer.start = int(r.integer(o, path, QStringLiteral("start"), 0, U16Max, 0));
    timer.duration = int(r.integer(o, path, QStringLiteral("duration"), 0, U16Max, 0));
    timer.period = int(r.integer(o, path, QStringLiteral("period"), 0, U16Max, 0));
    timer.count = int(r.integer(o, path, QStringLiteral("count"), 0, U16Max, 0));
    timer.usedByDay = int(r.integer(o, path, QStringLiteral("usedByDay"), 0, 1, 0));
    timer.usedByNight = int(r.integer(o, path, QStringLiteral("usedByNight"), 0, 1, 0));
    timer.dayRow = int(r.integer(o, path, QStringLiteral("dayRow"), 0, IntMax, 0));
    timer.nightRow = int(r.integer(o, path, QStringLiteral("nightRow"), 0, IntMax, 0));
    return timer;
}

Scenario readScenario(JsonReader &r, const QJsonObject &o, const QString &path)
{
    r.onlyKeys(o, path, {"index", "name", "usage", "imageOffset", "sockets"});
    Scenario scenario;
    scenario.name = r.string(o, path, QStringLiteral("name"), QString());
    scenario.usage = int(r.integer(o, path, QStringLiteral("usage"), 0, IntMax, 0));
    scenario.imageOffset = int(r.integer(o, path, QStringLiteral("imageOffset"), -1, IntMax, -1));
    const QString socketsPath = JsonReader::member(path, QStringLiteral("sockets"));
    const QJsonArray programs = r.array(o, path, QStringLiteral("sockets"));
    for (qsizetype i = 0; i < programs.size() && !r.failed(); ++i) {
        const QString at = JsonReader::element(socketsPath, i);
        const QJsonObject p = r.object(programs.at(i), at);
        r.onlyKeys(p, at, {"output", "day", "night", "timers", "keptDay", "keptNight"});
        const int output = int(r.integer(p.value(QStringLiteral("output")), JsonReader::member(at, QStringLiteral("output")), 1, LastOutput));
        if (r.failed())
            break;
        if (scenario.sockets.contains(output)) {
            r.fail(at, QStringLiteral("output %1 given twice").arg(output));
            break;
        }
        SocketProgram program;
        program.dayConditions = readConditions(r, p, at, QStringLiteral("day"));
        program.nightConditions = readConditions(r, p, at, QStringLiteral("night"));
        program.keptDayRows = readKeptRows(r, p, at, QStringLiteral("keptDay"));
        program.keptNightRows = readKeptRows(r, p, at, QStringLiteral("keptNight"));
        const QJsonArray timers = r.array(p, at, QStringLiteral("timers"));
        for (qsizetype t = 0; t < timers.size() && !r.failed(); ++t) {
            const QString timerPath = JsonReader::element(JsonReader::member(at, QStringLiteral("timers")), t);
            program.timers.append(readTimer(r, r.object(timers.at(t), timerPath), timerPath));
        }
        scenario.sockets.insert(output, program);
    }
    return scenario;
}

void readWorkCycle(JsonReader &r, const QJsonObject &json, ControllerState &state)
{
    const QString path = QStringLiteral("workCycle");
    const QJsonValue v = json.value(path);
    if (v.isUndefined())
        return;
    const QJsonObject o = r.object(v, path);
    r.onlyKeys(o, path, {"known", "dayHours", "nightHours", "startSeconds", "start", "cycleCount"});
    state.workCycleKnown = r.boolean(o, path, QStringLiteral("known"), state.workCycleKnown);
    state.dayHours = int(r.integer(o, path, QStringLiteral("dayHours"), 0, U16Max, state.dayHours));
    state.nightHours = int(r.integer(o, path, QStringLiteral("nightHours"), 0, U16Max, state.nightHours));
    state.cycleCount = int(r.integer(o, path, QStringLiteral("cycleCount"), 0, ControllerState::MaxCycleDays, state.cycleCount));
    state.startSeconds = r.integer(o, path, QStringLiteral("startSeconds"), std::numeric_limits<qint64>::min(),
                                   std::numeric_limits<qint64>::max(), 0);
    // The seconds are what the image holds; 0 means no start.
    state.startTime = state.startSeconds != 0 ? dateTimeFromLocalWallSeconds(state.startSeconds) : QDateTime();
    if (r.failed())
        return;

    // A cycle the image cannot hold would be left out of it without a word: refuse it instead.
    if (state.startSeconds != 0 && !state.startTime.isValid()) {
        r.fail(JsonReader::member(path, QStringLiteral("startSeconds")), QStringLiteral("expected 0 (no start) or a time in the years 1..9999"));
        return;
    }
    const bool describesCycle = state.workCycleKnown || state.cycleCount > 0 || state.startSeconds != 0;
    if (!describesCycle || workCycleWritable(state))
        return;
    const QString needed = QStringLiteral("a work cycle needs ");
    if (state.dayHours < 1 || state.dayHours > MaxCycleHours)
        r.fail(JsonReader::member(path, QStringLiteral("dayHours")), needed + QStringLiteral("1..%1 day hours").arg(MaxCycleHours));
    else if (state.nightHours > MaxCycleHours)
        r.fail(JsonReader::member(path, QStringLiteral("nightHours")), needed + QStringLiteral("0..%1 night hours").arg(MaxCycleHours));
    else if (state.startSeconds == 0)
        r.fail(JsonReader::member(path, QStringLiteral("startSeconds")), needed + QStringLiteral("a start"));
    else
        r.fail(JsonReader::member(path, QStringLiteral("cycleCount")), needed + QStringLiteral("at least one cycle"));
}

void readDays(JsonReader &r, const QJsonObject &json, ControllerState &state)
{
    const QString key = QStringLiteral("days");
    state.days = QList<CycleDay>(state.cycleCount);
    if (!json.contains(key))
        return;
    const QJsonArray days = r.array(json, QString(), key);
    if (days.size() != state.cycleCount) {
        r.fail(key, QStringLiteral("expected one entry per cycle (%1)").arg(state.cycleCount));
        return;
    }
    const qint64 lastScenario = qMax<qint64>(0, state.scenarios.size() - 1);
    for (qsizetype i = 0; i < days.size(); ++i)
        state.days[i].scenarioIndex = int(r.integer(days.at(i), JsonReader::element(key, i), 0, lastScenario));
}

void readScenarioOrder(JsonReader &r, const QJsonObject &json, ControllerState &state)
{
    const QString key = QStringLiteral("scenarioOrder");
    const QJsonArray order = r.array(json, QString(), key);
    for (qsizetype i = 0; i < order.size() && !r.failed(); ++i) {
        const QString at = JsonReader::element(key, i);
        const QJsonObject o = r.object(order.at(i), at);
        r.onlyKeys(o, at, {"scenario", "ordinal"});
        const qint64 scenario = r.integer(o.value(QStringLiteral("scenario")), JsonReader::member(at, QStringLiteral("scenario")), 0, IntMax);
        const qint64 ordinal = r.integer(o.value(QStringLiteral("ordinal")), JsonReader::member(at, QStringLiteral("ordinal")), 0, IntMax);
        state.scenarioOrder.insert(int(scenario), int(ordinal));
    }
}

} // namespace

bool stateFromJson(const QJsonObject &json, ControllerState &state, QString *error)
{
    ControllerState result = state;
    result.resetToEmptyForm();
    result.scenarios.clear();
    result.timerShiftMinutes = 0;
    for (SocketSlot &socket : result.sockets) {
        socket.baseFlag = 0;
        socket.present = 0;
    }

    JsonReader r;
    // complete, stopPosition and usedLength (older versions) are written only
    r.onlyKeys(json, QString(), {"complete", "stopPosition", "usedLength", "sensors", "sockets", "workCycle", "days", "scenarios",
                                 "scenarioOrder", "keptSensorSections"});
    int channelOwner[ControllerState::ChannelIdCount];
    std::fill(std::begin(channelOwner), std::end(channelOwner), -1);
    readIndexed(r, json, QStringLiteral("sensors"), ControllerState::SensorCount,
                [&](const QJsonObject &o, const QString &path, int index) {
                    SensorSlot &sensor = result.sensors[index];
                    readSensor(r, o, path, index, sensor);
                    // the decoder gives a channel id to the first input offering it only
                    for (int channel : std::as_const(sensor.channels)) {
                        if (r.failed())
                            return;
                        const QString at = JsonReader::member(path, QStringLiteral("channels"));
                        if (channelOwner[channel] == index)
                            r.fail(at, QStringLiteral("channel %1 given twice").arg(channel));
                        else if (channelOwner[channel] >= 0)
                            r.fail(at, QStringLiteral("channel %1 is offered by input %2 too").arg(channel).arg(channelOwner[channel]));
                        channelOwner[channel] = index;
                    }
                });
    readIndexed(r, json, QStringLiteral("sockets"), ControllerState::SocketCount,
                [&](const QJsonObject &o, const QString &path, int index) {
                    r.onlyKeys(o, path, {"index", "name", "baseFlag", "present"});
                    SocketSlot &socket = result.sockets[index];
                    socket.name = r.string(o, path, QStringLiteral("name"), socket.name);
                    socket.baseFlag = int(r.integer(o, path, QStringLiteral("baseFlag"), 0, U8Max, 0));
                    socket.present = int(r.integer(o, path, QStringLiteral("present"), IntMin, IntMax, socket.present));
                });
    const QJsonArray kept = r.array(json, QString(), QStringLiteral("keptSensorSections"));
    for (qsizetype i = 0; i < kept.size() && !r.failed(); ++i) {
        const QString path = JsonReader::element(QStringLiteral("keptSensorSections"), i);
        result.keptSensorSections.append(readKeptSection(r, r.object(kept.at(i), path), path));
    }
    if (!r.failed())
        readWorkCycle(r, json, result);
    const QJsonArray scenarios = r.array(json, QString(), QStringLiteral("scenarios"));
    for (qsizetype i = 0; i < scenarios.size() && !r.failed(); ++i) {
        const QString path = JsonReader::element(QStringLiteral("scenarios"), i);
        result.scenarios.append(readScenario(r, r.object(scenarios.at(i), path), path));
    }
    if (!r.failed())
        readDays(r, json, result);
    if (!r.failed())
        readScenarioOrder(r, json, result);
    if (r.failed()) {
        if (error)
            *error = r.error;
        return false;
    }

    for (const SensorSlot &sensor : result.sensors) {
        for (int channel : sensor.channels)
            result.usedChannels[channel] = 1;
    }
    reserveKeptChannels(result);
    state = result;
    return true;
}
