#include "model/log/historytable.h"

#include "model/log/eventlog.h"
#include "model/codec/sensorcatalogue.h"

namespace {

const QString Semicolon = QStringLiteral(";");
const QString LineFeed = QStringLiteral("\n");

// Characters a format code SDF gives a value: sign, digits, decimals and their point.
int formatWidth(int formatCode)
{
    const int decimals = qMax(0, formatCode % 10);
    return formatCode / 100 + (formatCode / 10) % 10 + decimals + (decimals != 0 ? 1 : 0);
}

// One paragraph of a sensor cell: the channel texts of one kind, separated by "/".
QString valueParagraph(const QStringList &texts, const QList<int> &hits)
{
    QString out = QStringLiteral("<html><p style=\" margin: 0px;\">");
    for (int j = 0; j < texts.size(); ++j) {
        if (j > 0)
            out += QLatin1Char('/');
        const bool hit = j < hits.size() && hits.at(j) == 1;
        out += QStringLiteral("<span style=\"  color:%2;\">%1</span>")
                   .arg(texts.at(j), hit ? QLatin1String(HistoryText::HitColour) : QLatin1String("#FFFFFF"));
    }
    return out + QStringLiteral("</p></html>");
}

// The measurement row being built: cell texts and hit flags per sensor column and channel position.
class PendingRow
{
public:
    explicit PendingRow(const HistoryColumns &columns) : m_columns(columns) {}

    bool isOpen() const { return m_open; }
    const QDateTime &time() const { return m_time; }

    void open(const QDateTime &time)
    {
        m_open = true;
        m_time = time;
        const int count = int(m_columns.columnFormats.size());
        for (auto *texts : {&m_min, &m_avg, &m_max, &m_minPlain, &m_avgPlain, &m_maxPlain})
            texts->resize(count);
        for (auto *hits : {&m_minHit, &m_maxHit})
            hits->resize(count);
        for (int i = 0; i < count; ++i) {
            QStringList placeholders;
            for (int code : m_columns.columnFormats.at(i))
                placeholders.append(formatPlaceholder(code));
            m_min[i] = m_avg[i] = m_max[i] = placeholders;
            m_minHit[i] = m_maxHit[i] = QList<int>(placeholders.size(), 0);
            // a spreadsheet reads an empty field as no value, the placeholder as text
            m_minPlain[i] = m_avgPlain[i] = m_maxPlain[i] = QStringList(placeholders.size(), QString());
        }
    }

    void store(const HistoryChannelColumn &at, const EventRecord &e, const QLocale &locale)
    {
        if (at.column < 0 || at.column >= m_min.size() || at.position < 0 || at.position >= m_min[at.column].size())
            return;
        m_min[at.column][at.position] = historyCellText(e.min, at.format, locale);
        m_avg[at.column][at.position] = historyCellText(e.avg, at.format, locale);
        m_max[at.column][at.position] = historyCellText(e.max, at.format, locale);
        m_minPlain[at.column][at.position] = historyValueText(e.min, at.format, locale);
        m_avgPlain[at.column][at.position] = historyValueText(e.avg, at.format, locale);
        m_maxPlain[at.column][at.position] = historyValueText(e.max, at.format, locale);
        m_minHit[at.column][at.position] = e.minHit;
        m_maxHit[at.column][at.position] = e.maxHit;
    }

    void close(HistoryFill &out)
    {
        m_open = false;
        HistoryRow row;
        row.time = m_time;
        const QString timeText = HistoryText::timeText(m_time);
        row.cells << timeText << HistoryText::legend();
        QString csv = timeText + QStringLiteral(";;");
        for (int i = 0; i < m_min.size(); ++i) {
            row.cells << valueParagraph(m_min.at(i), m_minHit.at(i)) + valueParagraph(m_avg.at(i), {})
                    + valueParagraph(m_max.at(i), m_maxHit.at(i));
            for (const QStringList *texts : {&m_minPlain.at(i), &m_avgPlain.at(i), &m_maxPlain.at(i)})
                for (const QString &text : *texts)
                    csv += text + Semicolon;
        }
        out.rows.append(row);
        out.csvLines.append(csv + LineFeed);
    }

private:
    const HistoryColumns &m_columns;
    bool m_open = false;
    QDateTime m_time;
    QList<QStringList> m_min, m_avg, m_max;                 // cell texts, padded for the table
    QList<QStringList> m_minPlain, m_avgPlain, m_maxPlain;  // the same values for the CSV
    QList<QList<int>> m_minHit, m_maxHit;
};

} // namespace

namespace HistoryText {

const char *const HitColour = "#F82161";

QString timeText(const QDateTime &t)
{
    return t.toString(QStringLiteral("dd.MM.yyyy  hh:mm"));
}

QString legend()
{
    return QStringLiteral(
        "<html><head/><body><p style=\" margin: 0px;\"><span style=\" color:#ffff7f;\">Минимум</span></p>"
        "<p style=\" margin: 0px;\"><span style=\" color:#ffff7f;\">Среднее</span></p>"
        "<p style=\" margin: 0px;\"><span style=\" color:#ffff7f;\">Максимум</span></p></body></html>");
}

QString eventLegend()
{
    return QStringLiteral(
        "<html><head/><body><p style=\" margin: 0px;\"><span style=\" color:#ffff7f;\">Событие</span></p></body></html>");
}

QString powerText(int sensor)
{
    return sensor == EventLog::PowerOn ? QStringLiteral("Включение питания") : QStringLiteral("Отключение питания");
}

QString powerCell(int sensor)
{
    return QStringLiteral("<html><head/><body><p style=\" margin: 0px;\"><span style=\" color:%1;\">%2</span></p></body></html>")
        .arg(sensor == EventLog::PowerOn ? QStringLiteral("#ffff7f") : QStringLiteral("#ff2700"), powerText(sensor));
}

} // namespace HistoryText

HistoryColumns buildHistoryColumns(const ControllerState &state)
{
    HistoryColumns c;
    c.headers << QStringLiteral("Дата Время") << QString();
    c.csvHeader = QStringLiteral("Дата Время;Событие;");
    for (int s = 0; s < state.sensors.size() && s < ControllerState::SensorCount; ++s) {
        const SensorSlot &sensor = state.sensors.at(s);
        if (sensor.channels.isEmpty() || sensor.type == SensorRelayOutput)
            continue;
        const SensorTypeInfo &info = sensorTypeInfo(sensor.type);
        const int column = int(c.columnFormats.size());
        QStringList channelHeaders;
        QList<int> formats;
        for (int j = 0; j < sensor.channels.size(); ++j) {
            // a sensor with more channels than its type names gets empty names and no format
            const int format = info.valueFormats.value(j, 0);
            const QString valueName = info.valueNames.value(j);
            c.columnChannels.insert(sensor.channels.at(j), HistoryChannelColumn{column, j, format});
            c.channelIds.insert(qMakePair(s, j), sensor.channels.at(j));
            channelHeaders << QStringLiteral("%1 %2").arg(sensor.name, valueName);
            formats << format;
        }
        for (const QString &kind : {QStringLiteral("%1 (минимум)%2"), QStringLiteral("%1 (среднее)%2"),
                                    QStringLiteral("%1 (максимум)%2")})
            for (const QString &h : std::as_const(channelHeaders))
                c.csvHeader += kind.arg(h, Semicolon);
        c.headers << sensor.name + QStringLiteral(": ") + info.valueNames.join(QStringLiteral("/ "));
        c.columnFormats << formats;
        c.columnSensors << s;
    }
    c.csvHeader += LineFeed;
    if (c.headers.size() == 2)
        c.headers << QString();
    return c;
}

QString historyCellText(float value, int formatCode, const QLocale &locale)
{
    const int width = formatWidth(formatCode);
    QString text = historyValueText(value, formatCode, locale);
    int pad = width - int(text.size());
    if (!text.contains(QLatin1Char('.')))
        ++pad;
    for (int k = 0; k < pad; ++k)
        text += QStringLiteral("<html>&nbsp;</html>");
    return text;
}

QString historyValueText(float value, int formatCode, const QLocale &locale)
{
    const int decimals = qMax(0, formatCode % 10);
    const int width = formatWidth(formatCode);
    // Group separators would be cut like digits ("1 23" for 1234).
    QLocale plain = locale;
    plain.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    QString text = plain.toString(double(value), 'f', decimals);
    if (text.size() > width)
        text.truncate(qMax(0, width));
    return text;
}

int historyChannelId(const HistoryColumns &columns, const EventRecord &record)
{
    return columns.channelIds.value(qMakePair(record.sensor, record.position), -1);
}

HistoryFill fillHistory(const HistoryColumns &columns, const QList<EventRecord> &events, QDate first, QDate last,
                        const QLocale &locale)
{
    HistoryFill out;
    out.csvLines << columns.csvHeader;
    const QDateTime from(first, QTime(0, 0));
    const QDateTime to(last.addDays(1), QTime(0, 0));
    PendingRow pending(columns);
    for (const EventRecord &e : events) {
        if (e.time < from || e.time > to)
            continue;
        if (e.sensor == EventLog::PowerOn || e.sensor == EventLog::PowerOff) {
            if (pending.isOpen())
                pending.close(out);
            HistoryRow row;
            row.time = e.time;
            row.event = e.sensor;
            const QString timeText = HistoryText::timeText(e.time);
            row.cells << timeText << HistoryText::eventLegend() << HistoryText::powerCell(e.sensor);
            out.rows.append(row);
            out.csvLines.append(timeText + Semicolon + HistoryText::powerText(e.sensor) + Semicolon + LineFeed);
            continue;
        }
        const auto at = columns.columnChannels.constFind(historyChannelId(columns, e));
        if (at == columns.columnChannels.cend())
            continue;
        if (!pending.isOpen() || e.time != pending.time()) {
            if (pending.isOpen())
                pending.close(out);
            pending.open(e.time);
        }
        pending.store(at.value(), e, locale);
    }
    if (pending.isOpen())
        pending.close(out);
    return out;
}
