#include "cipher/CCipher.h"

#include "qvcryptlib.h"

#include <limits>
#include <stdexcept>

namespace {

constexpr char kClearKey[] = "*";

QByteArray encodeText(const QByteArray &bytes)
{
    const qsizetype n = bytes.size();
    // EncodeText may read up to the next multiple of three bytes.
    QByteArray padded = bytes;
    if (n % 3 != 0)
        padded.append("   ");
    QByteArray out(4 * (n / 3 + 1), ' ');
    const int32_t written = EncodeText(padded.constData(), int32_t(n), out.data());
    out.truncate(written);
    return out;
}

} // namespace

bool CCipher::Initilize(const QByteArray &key, qint16 mode)
{
    if (key.isEmpty())
        return false;
    if (key.size() > std::numeric_limits<int32_t>::max())
        return false;
    return InitCipher(key.constData(), int32_t(key.size()), mode) == 1;
}

bool CCipher::Initilize(const QString &key, qint16 mode)
{
    return Initilize(key.toUtf8(), mode);
}

void CCipher::PrepareKey(const QByteArray &key)
{
    if (!key.isEmpty() && key.size() <= std::numeric_limits<int32_t>::max())
        PrepareCipherKey(key.constData(), int32_t(key.size()));
}

quint64 CCipher::Generation()
{
    return QvcryptGeneration();
}

void CCipher::Clear()
{
    InitCipher(kClearKey, 1, 0);
}

QByteArray CCipher::Cipher(const QByteArray &data)
{
    QByteArray out(data.size(), Qt::Uninitialized);
    Cipher(data.constData(), data.size(), out.data());
    return out;
}

void CCipher::Cipher(const char *input, qsizetype n, char *output)
{
    constexpr qsizetype step = std::numeric_limits<int32_t>::max() & ~qsizetype(63);
    while (n > 0) {
        const qsizetype part = std::min(n, step);
        CipherBuffer(input, int32_t(part), output);
        input += part;
        output += part;
        n -= part;
    }
}

bool CCipher::CipherAt(quint64 generation, const char *input, qsizetype n, char *output)
{
    constexpr qsizetype step = std::numeric_limits<int32_t>::max() & ~qsizetype(63);
    do {
        const qsizetype part = std::min(n, step);
        if (CipherBufferAt(input, int32_t(part), output, generation) < 0)
            return false;
        input += part;
        output += part;
        n -= part;
    } while (n > 0);
    return true;
}

QByteArray CCipher::SecureString(const QByteArray &data, const QByteArray &key, qint16 mode)
{
    if (data.size() > MaxSecureLength)
        throw std::length_error("text too long to secure");
    // Enciphering under whatever key was left behind would look like success.
    if (!Initilize(key, mode) && !key.isEmpty())
        throw std::invalid_argument("unknown cipher mode");
    const QByteArray body = encodeText(Cipher(data));
    const qsizetype length = data.size();
    QByteArray header(6, '\0');
    header[0] = char((length >> 16) & 0xff);
    header[1] = char((length >> 8) & 0xff);
    header[2] = char(length & 0xff);
    const QByteArray result = encodeText(header) + body;
    Clear();
    return result;
}

QString CCipher::SecureString(const QString &data, const QString &key)
{
    return QString::fromLatin1(SecureString(data.toUtf8(), key.toUtf8()));
}

QByteArray CCipher::DeSecureString(const QByteArray &text, const QByteArray &key, qint16 mode)
{
    QByteArray result;
    const bool refused = !Initilize(key, mode) && !key.isEmpty();
    const QByteArray headerText = text.left(8);
    const QByteArray bodyText = text.size() > 8 ? text.mid(8) : QByteArray();
    QByteArray header(headerText.size(), ' ');
    const int32_t headerBytes =
        DecodeText(headerText.constData(), int32_t(headerText.size()), header.data());
    if (refused) {
        result = ErrorPrefix.toLatin1() + "unknown cipher mode";
    } else if (headerBytes < 3) {
        result = "ERR";
    } else if (bodyText.isEmpty()) {
        result = "ERR2";
    } else {
        const auto byte = [&](int i) { return qsizetype(quint8(header[i])); };
        const qsizetype length = byte(0) * 65536 + byte(1) * 256 + byte(2);
        QByteArray body(bodyText.size(), ' ');
        const int32_t bodyBytes =
            DecodeText(bodyText.constData(), int32_t(bodyText.size()), body.data());
        if (bodyBytes == 0)
            result = ErrorPrefix.toLatin1() + "the text is not valid Base64";
        else
            result = Cipher(body.left(length));
    }
    Clear();
    return result;
}

QString CCipher::DeSecureString(const QString &text, const QString &key)
{
    return QString::fromUtf8(DeSecureString(text.toLatin1(), key.toUtf8()));
}
