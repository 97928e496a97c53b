#include "cipher/CCipher.h"

#include <gtest/gtest.h>

namespace {

QByteArray headerBytes(const QByteArray &secured)
{
    return QByteArray::fromBase64(secured.left(8));
}

} // namespace

TEST(CCipher, AnEmptyKeyOrAnUnknownModeKeysNothing)
{
    CCipher cipher;
    EXPECT_TRUE(cipher.Initilize(QByteArray("pw"), 0));
    const QByteArray whole = cipher.Cipher(QByteArray(20, 'a'));

    EXPECT_TRUE(cipher.Initilize(QByteArray("pw"), 0));
    QByteArray pieces = cipher.Cipher(QByteArray(5, 'a'));
    EXPECT_FALSE(cipher.Initilize(QByteArray(), 0));
    pieces += cipher.Cipher(QByteArray(5, 'a'));
    for (const qint16 mode : {2, -1}) {
        EXPECT_FALSE(cipher.Initilize(QByteArray("pw"), mode)) << mode;
        pieces += cipher.Cipher(QByteArray(5, 'a'));
    }
    EXPECT_EQ(pieces, whole);

    EXPECT_THROW(cipher.SecureString(QByteArray("x"), QByteArray("pw"), 2), std::invalid_argument);
    const QByteArray secured = cipher.SecureString(QByteArray("x"), QByteArray("pw"));
    EXPECT_TRUE(cipher.DeSecureString(secured, QByteArray("pw"), 2)
                    .startsWith(CCipher::ErrorPrefix.toLatin1()));
}

TEST(CCipher, CipherIsSelfInverseAndSplitsFreely)
{
    CCipher cipher;
    const QByteArray plain =
        QByteArray("The quick brown fox jumps over the lazy dog.").repeated(50);
    cipher.Initilize(QByteArray("key"), 0);
    QByteArray enciphered;
    for (qsizetype at = 0; at < plain.size(); at += 37)
        enciphered += cipher.Cipher(plain.mid(at, 37));
    EXPECT_NE(enciphered, plain);
    EXPECT_EQ(enciphered.size(), plain.size());

    cipher.Initilize(QByteArray("key"), 0);
    EXPECT_EQ(cipher.Cipher(enciphered), plain);
    EXPECT_TRUE(cipher.Cipher(QByteArray()).isEmpty());

    cipher.Initilize(QByteArray("other key"), 0);
    EXPECT_NE(cipher.Cipher(enciphered), plain);
}

TEST(CCipher, SecuredTextCarriesTheLengthInItsHeader)
{
    CCipher cipher;
    const QByteArray five = cipher.SecureString(QByteArray("hello"), QByteArray("k"));
    EXPECT_EQ(headerBytes(five), QByteArray::fromHex("000005000000"));
    EXPECT_EQ(five.size(), 8 + 8); // 5 bytes -> 8 Base64 characters

    const QByteArray big = cipher.SecureString(QByteArray(70000, 'z'), QByteArray("k"));
    EXPECT_EQ(headerBytes(big), QByteArray::fromHex("011170000000"));
    for (char c : big)
        EXPECT_TRUE(c >= 0x20 && c < 0x7f) << "unprintable character";
}

TEST(CCipher, SecureStringRoundTripsEveryLength)
{
    CCipher cipher;
    for (int length = 1; length <= 10; ++length) {
        QByteArray text;
        for (int i = 0; i < length; ++i)
            text += char('A' + (i * 7) % 26);
        const QByteArray secured = cipher.SecureString(text, QByteArray("pass"));
        EXPECT_EQ(cipher.DeSecureString(secured, QByteArray("pass")), text) << length;
    }
    const QByteArray big(70000, '\xff');
    EXPECT_EQ(cipher.DeSecureString(cipher.SecureString(big, QByteArray("p")), QByteArray("p")),
              big);

    const QString unicode = QStringLiteral("C:/Daten/Übersicht, 2026\n");
    EXPECT_EQ(cipher.DeSecureString(cipher.SecureString(unicode, QStringLiteral("pw")),
                                    QStringLiteral("pw")),
              unicode);
}

TEST(CCipher, DeSecureStringReportsBrokenTextAsErrorTexts)
{
    CCipher cipher;
    EXPECT_EQ(cipher.DeSecureString(QByteArray("AAA"), QByteArray("k")), QByteArray("ERR"));
    EXPECT_EQ(cipher.DeSecureString(QByteArray(), QByteArray("k")), QByteArray("ERR"));
    const QByteArray empty = cipher.SecureString(QByteArray(), QByteArray("k"));
    EXPECT_EQ(empty.size(), 8);
    EXPECT_EQ(cipher.DeSecureString(empty, QByteArray("k")), QByteArray("ERR2"));
    EXPECT_EQ(cipher.DeSecureString(QByteArray("AAAFAAAA"), QByteArray("k")), QByteArray("ERR2"));
    const QByteArray broken = cipher.DeSecureString(QByteArray("AAAFAAAA**%%"), QByteArray("k"));
    EXPECT_TRUE(broken.startsWith(CCipher::ErrorPrefix.toLatin1())) << broken.constData();
}

TEST(CCipher, WrongKeyGivesGarbageWithoutError)
{
    CCipher cipher;
    const QByteArray secured = cipher.SecureString(QByteArray("C:/Data/"), QByteArray("right"));
    const QByteArray garbage = cipher.DeSecureString(secured, QByteArray("wrong"));
    EXPECT_EQ(garbage.size(), 8);
    EXPECT_NE(garbage, QByteArray("C:/Data/"));
}

TEST(CCipher, SecuredSequencesClearTheLibraryWhenDone)
{
    CCipher cipher;
    cipher.Initilize(QByteArray("*"), 0);
    const QByteArray cleared = cipher.Cipher(QByteArray(16, '\0'));
    cipher.SecureString(QByteArray("abc"), QByteArray("secret"));
    EXPECT_EQ(cipher.Cipher(QByteArray(16, '\0')), cleared);
    cipher.DeSecureString(QByteArray("bad"), QByteArray("secret"));
    EXPECT_EQ(cipher.Cipher(QByteArray(16, '\0')), cleared);
}
