#include "profiles/ProfileCipher.h"

#include <QStringDecoder>

namespace {
const QByteArray MarkerText = QByteArrayLiteral("$");
}

ProfileCipher::ProfileCipher(const QString &password)
    : key(password.toUtf8())
{}

char ProfileCipher::marker()
{
    cipher.Initilize(key, 0);
    const QByteArray enciphered = cipher.Cipher(MarkerText);
    cipher.Clear();
    return enciphered[0];
}

bool ProfileCipher::isMarker(char byte)
{
    cipher.Initilize(key, 0);
    const QByteArray deciphered = cipher.Cipher(QByteArray(1, byte));
    cipher.Clear();
    return deciphered == MarkerText;
}

QByteArray ProfileCipher::secure(const QString &text)
{
    return cipher.SecureString(text.toUtf8(), key);
}

std::optional<QString> ProfileCipher::unsecure(const QByteArray &line)
{
    // The empty text is secured without a body, which the cipher reads back as an error text.
    if (line == cipher.SecureString(QByteArray(), key))
        return QString();
    const QByteArray bytes = cipher.DeSecureString(line, key);
    // Securing is deterministic: only a well-formed line comes back from a second pass unchanged.
    if (cipher.SecureString(bytes, key) != line)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}
