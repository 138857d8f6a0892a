#pragma once

#include "sim/simtransport.h"

#include <QList>
#include <QObject>

// Records the opcodes (and the bytes) of the frames the program writes to the simulated controllers.
class FrameLog
{
public:
    explicit FrameLog(SimTransport *transport)
    {
        m_connection = QObject::connect(transport, &SimTransport::frameWritten, transport,
                                        [this](SimulatedController *, const QByteArray &frame) {
                                            if (frame.size() > 1) {
                                                written << static_cast<quint8>(frame.at(1));
                                                frames << frame;
                                            }
                                        });
    }
    ~FrameLog() { QObject::disconnect(m_connection); }
    FrameLog(const FrameLog &) = delete;
    FrameLog &operator=(const FrameLog &) = delete;

    void clear()
    {
        written.clear();
        frames.clear();
    }
    int count(int opcode) const { return int(written.count(opcode)); }

    QList<int> written;
    QList<QByteArray> frames; // whole, in the same order

private:
    QMetaObject::Connection m_connection;
};
