#pragma once

#include <QList>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QString>

// Records the opcodes of the frames the program writes, from the link's diagnostic lines.
class FrameLog
{
public:
    FrameLog()
    {
        instance() = this;
        QLoggingCategory::setFilterRules(QStringLiteral("vireosant.link.debug=true"));
        m_previous = qInstallMessageHandler(&FrameLog::handler);
    }
    ~FrameLog()
    {
        qInstallMessageHandler(m_previous);
        QLoggingCategory::setFilterRules(QString());
        instance() = nullptr;
    }
    void clear() { written.clear(); }
    int count(int opcode) const { return int(written.count(opcode)); }

    QList<int> written;

private:
    static FrameLog *&instance()
    {
        static FrameLog *log = nullptr;
        return log;
    }
    static void handler(QtMsgType, const QMessageLogContext &context, const QString &message)
    {
        FrameLog *log = instance();
        if (!log || qstrcmp(context.category, "vireosant.link") != 0)
            return;
        static const QRegularExpression re(QStringLiteral("^write op 0x([0-9a-f]{2})"));
        const auto m = re.match(message);
        if (m.hasMatch())
            log->written << m.captured(1).toInt(nullptr, 16);
    }
    QtMessageHandler m_previous = nullptr;
};
