#pragma once

// An in-process stand-in for the grow-box controller, shaped as bytes in, bytes out: a written
// command frame updates the device, and the next read of the command characteristic returns the
// device's reply. It keeps one account, a 0x7F00-byte memory (configuration image from address 0,
// event log below 0x7F00), the outputs, the run state and its own clock, and runs the committed
// configuration's work cycle. The transport backend (SimTransport) adds asynchrony and link faults.

#include "ble/transport.h"
#include "sim/simdevicestate.h"
#include "sim/simeventlog.h"
#include "sim/simfaults.h"
#include "sim/simimage.h"
#include "sim/simworkcycle.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>

class SimulatedController : public QObject
{
    Q_OBJECT
public:
    static constexpr int MemorySize = 0x7F00;
    static constexpr int FrameSize = 1028;
    static constexpr int ReplySize = 1028;
    static constexpr int CredentialBytes = 120;
    static constexpr int AdvertisedLoginBytes = 24; // split evenly over manufacturer ids 1 and 2

    SimulatedController(const QString &name, quint64 address, QObject *parent = nullptr);

    QString name() const { return m_name; }
    quint64 address() const { return m_address; }
    // What a scan sees: the name and the login in manufacturer data 1 + 2 (zeros without account).
    BleDeviceInfo advertisement() const;

    // Takes one written frame. False when the write itself is refused (not 1028 bytes); frames with
    // a wrong start byte or an unknown opcode are taken and ignored.
    bool receiveFrame(const QByteArray &frame);
    // The value the next read of 0xFFF1 returns.
    QByteArray readReply();
    // The status record as it stands; also the value cached when the service is discovered.
    QByteArray statusValue();
    // The status record as the link delivers it (the short-status fault applied).
    QByteArray linkStatusValue();
    // A link opened or closed: a sign-in holds for one link only.
    void beginSession();
    void endSession();

    // Physical switches and test faults.
    void setInputsJumpered(bool joined) { m_jumpered = joined; }
    void setExtraService(bool present) { m_extraService = present; }
    bool hasExtraService() const { return m_extraService; }
    void setClockFailed(bool failed) { m_clockFailed = failed; }
    SimFaults &faults() { return m_faults; }
    // Services whose details were discovered with their values read.
    void countValueRead() { ++m_valueReads; }
    int valueReads() const { return m_valueReads; }

    // Inspection.
    bool hasAccount() const { return !m_credentials.isEmpty(); }
    QByteArray credentials() const { return m_credentials; }
    bool isSignedIn() const { return m_signedIn; }
    const QByteArray &memory() const { return m_memory; }
    int storedImageLength() const; // from the header in memory; 0 without one
    QByteArray storedImage() const; // header and body as far as the memory holds them
    const SimImage &runningImage() const { return m_running; }
    // Header and body as they were when last made the running configuration (CommitImage or
    // seeding); later writes to memory do not change it.
    const QByteArray &committedImage() const { return m_committed; }
    bool isRunning() const { return m_runningWork; }
    quint32 manualLevel(int index) const { return m_manual.value(index); }
    qint64 clockSeconds() const; // local wall-clock seconds of the device clock
    QList<QByteArray> logRecords();

    void setLogPeriodMinutes(int minutes) { m_log.setPeriodMinutes(minutes); }
    int logPeriodMinutes() const { return m_log.periodMinutes(); }
    void recordPowerEvent(bool on, qint64 atSeconds);

    // Seeding: header + body at address 0, made the running configuration, work running.
    void installImage(const QByteArray &body);
    // Fills the log with `days` of measurements up to now, with one short power cut half-way.
    void seedLog(int days);
    void seedDemo(const QByteArray &body, int logDays);

    // Account, memory, log and settings, to and from a folder (files of SimStorage). Loading a
    // state saved earlier logs the power cut between the two moments.
    SimDeviceState state();
    void restore(const SimDeviceState &state);
    bool saveTo(const QString &folder);
    bool loadFrom(const QString &folder);

private:
    enum class Pending { None, Fixed, Blocks, UploadAck };

    void handleSignIn(const QByteArray &frame);
    void handleDelete();
    void handleReadBlocks(const QByteArray &frame);
    void handleWriteImage(const QByteArray &frame);
    void commitImage();
    void handleSetClock(const QByteArray &frame);
    QByteArray nextBlock();
    QByteArray blockAt(int address, bool marked) const;
    quint8 flags() const;
    quint32 outputWord(int output, int manualKey, const SimWorkTime &time, qint64 now) const;
    float channelReading(int channelId, qint64 now) const;
    void updateLog();
    void updateLogUntil(qint64 until);

    QString m_name;
    quint64 m_address;
    QByteArray m_credentials; // 120 bytes, empty without account
    bool m_signedIn = false;
    bool m_jumpered = false;
    bool m_extraService = false;
    bool m_clockFailed = false;
    int m_valueReads = 0;
    SimFaults m_faults;

    QByteArray m_memory;
    SimImage m_running;
    QByteArray m_committed;
    SimEventLog m_log;

    bool m_runningWork = true;
    QMap<int, quint32> m_manual; // levels set by SetOutput: socket index 0..3 or relay channel id
    qint64 m_clockOffset = 0;

    Pending m_pending = Pending::None;
    QByteArray m_reply;
    int m_blockCursor = 0;
    int m_blockEnd = 0;
    bool m_blockServed = false;
};
