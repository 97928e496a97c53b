#pragma once

#include "cipher/CCipher.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Enciphers the marker and secures the lines of one profile under its password. Each call is a
// whole keyed sequence, so calls never interleave with other users of the cipher. Profiles have a
// key of their own; profiles of earlier builds were keyed like boxes (CCipher::BoxMode).
class ProfileCipher
{
public:
    explicit ProfileCipher(const QString &password, qint16 mode = CCipher::ProfileMode);

    char marker();
    bool isMarker(char byte);
    QByteArray secure(const QString &text);
    // Null when the line is not secured text, or does not decipher to UTF-8 text (a damaged
    // line, or a wrong password that got past the one-byte marker).
    std::optional<QString> unsecure(const QByteArray &line);

private:
    QByteArray key;
    qint16 mode;
    CCipher cipher;
};
