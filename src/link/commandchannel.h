#pragma once

// Writes request frames to the command characteristic and turns what comes back into the
// program-wide exchange state (exchange()). The handlers only store data and advance the step; the
// next tick does the follow-up work.

#include "link/frames.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QString>

class BleService;

// Frames written and replies read, one line each; off by default
// (QT_LOGGING_RULES="vireosant.link.debug=true" switches it on).
Q_DECLARE_LOGGING_CATEGORY(lcLink)

// Where account replies and transfer notes go; the link controller implements it.
class ReplyListener
{
public:
    virtual ~ReplyListener() = default;
    virtual void signInReplied(const QByteArray &reply) { Q_UNUSED(reply) }
    virtual void deleteReplied(const QByteArray &reply) { Q_UNUSED(reply) }
    // New text for the note that is shown; nothing when no note is shown.
    virtual void setNoteText(const QString &text) { Q_UNUSED(text) }
};

class CommandChannel : public QObject
{
    Q_OBJECT
public:
    explicit CommandChannel(QObject *parent = nullptr);

    // The service that holds 0xFFF1, or null. Connects its written and read signals to the
    // handlers below (and drops those of the previous service), so callers must not connect them.
    void setService(BleService *service);
    BleService *service() const;

    void setListener(ReplyListener *listener);

    // Builds the frame and writes it with response. False when there is no usable service.
    bool sendCommand(Opcode opcode, const QByteArray &payload = QByteArray());

public slots:
    void onCharacteristicWritten(quint16 characteristic, const QByteArray &value);
    void onCharacteristicRead(quint16 characteristic, const QByteArray &value);

private:
    void readAgain();
    void readAgainWhileNotReady();
    void handleBlockReply(const QByteArray &reply);
    void handleUploadAck(const QByteArray &reply);
    void abandonBlockTransfer();
    void noteLogProgress();

    QPointer<BleService> m_service;
    ReplyListener *m_listener = nullptr;
    quint8 m_lastOpcode = 0; // only for the diagnostic lines
};
