#pragma once

#include <QByteArray>
#include <QString>

// The login file of one controller: "logins/<address as decimal u64>.li" holding one byte array
// (little-endian QDataStream) of 120 bytes: login zero-padded to 80, password zero-padded to 40.
namespace LoginFile {

constexpr int CredentialBytes = 120;

QString path(quint64 address);

// Login and password from the controller's file, when the file holds exactly 120 bytes and
// contains the advertised login (trailing zeros removed). False otherwise.
bool read(quint64 address, const QByteArray &advertisedLogin, QString *login, QString *password);

// Writes the 120 credential bytes (bytes 2..121 of an accepted sign-in reply) with owner-only
// permissions; the file is rewritten only when its content differs.
bool save(quint64 address, const QByteArray &signInReply);
void remove(quint64 address);

} // namespace LoginFile
