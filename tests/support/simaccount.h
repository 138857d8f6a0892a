#pragma once

#include "sim/simulatedcontroller.h"

#include <QByteArray>

// The 120 credential bytes of a sign-in: login zero-padded to 80, password to 40.
inline QByteArray credentialBytes(const QByteArray &login, const QByteArray &password)
{
    QByteArray c = login.left(80);
    c.append(80 - c.size(), '\0');
    c += password;
    c.append(120 - c.size(), '\0');
    return c.left(120);
}

// Makes an account on a simulated controller the way a first sign-in does.
inline void createSimAccount(SimulatedController *c, const QByteArray &login, const QByteArray &password)
{
    QByteArray frame(1028, '\0');
    frame[0] = char(0x5A);
    frame[1] = char(0x0E);
    frame.replace(2, 120, credentialBytes(login, password));
    c->beginSession();
    c->receiveFrame(frame);
    c->readReply();
    c->endSession();
}
