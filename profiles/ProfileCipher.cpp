#include "profiles/ProfileCipher.h"

#include <QStringDecoder>

namespace {
const QByteArray MarkerText = QByteArrayLiteral("$");
}

ProfileCipher::ProfileCipher(const QString &password, qint16 keyMode)
    : key(password.toUtf8())
    , mode(keyMode)
{}

char ProfileCipher::marker()
{
    cipher.Initilize(key, mode);
    const QByteArray enciphered = cipher.Cipher(MarkerText);
    cipher.Clear();
    return enciphered[0];
}

bool ProfileCipher::isMarker(char byte)
{
    cipher.Initilize(key, mode);
    const QByteArray deciphered = cipher.Cipher(QByteArray(1, byte));
    cipher.Clear();
    return deciphered == MarkerText;
}

QByteArray ProfileCipher::secure(const QString &text)
{
    return cipher.SecureString(text.toUtf8(), key, mode);
}

std::optional<QString> ProfileCipher::unsecure(const QByteArray &line)
{
    // The empty text is secured without a body, which the cipher reads back as an error text.
    if (line == cipher.SecureString(QByteArray(), key, mode))
        return QString();
    const QByteArray bytes = cipher.DeSecureString(line, key, mode);
    // Securing is deterministic: only a well-formed line comes back from a second pass unchanged.
    if (cipher.SecureString(bytes, key, mode) != line)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}
