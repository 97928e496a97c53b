#include "cipher/CCipher.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(CCipher, TheStreamSplitsFreelyAndAFailedKeyingLeavesItRunning)
{
    CCipher cipher;
    const QByteArray plain =
        QByteArray("The quick brown fox jumps over the lazy dog.").repeated(50);
    cipher.Initilize(QByteArray("key"), 0);
    const QByteArray whole = cipher.Cipher(plain);
    EXPECT_NE(whole, plain);

    // An empty key or an unknown mode keys nothing.
    EXPECT_TRUE(cipher.Initilize(QByteArray("key"), 0));
    QByteArray pieces;
    for (qsizetype at = 0; at < plain.size(); at += 37) {
        pieces += cipher.Cipher(plain.mid(at, 37));
        if (at == 37) {
            EXPECT_FALSE(cipher.Initilize(QByteArray(), 0));
            for (const qint16 mode : {2, -1})
                EXPECT_FALSE(cipher.Initilize(QByteArray("key"), mode)) << mode;
        }
    }
    EXPECT_EQ(pieces, whole);
    cipher.Initilize(QByteArray("key"), 0);
    EXPECT_EQ(cipher.Cipher(whole), plain) << "self-inverse";
    EXPECT_TRUE(cipher.Cipher(QByteArray()).isEmpty());
    cipher.Initilize(QByteArray("other key"), 0);
    EXPECT_NE(cipher.Cipher(whole), plain);
}

TEST(CCipher, SecuredTextRoundTripsAndCarriesItsLengthInItsHeader)
{
    CCipher cipher;
    const auto header = [](const QByteArray &secured) {
        return QByteArray::fromBase64(secured.left(8)).toHex();
    };
    const QByteArray five = cipher.SecureString(QByteArray("hello"), QByteArray("k"));
    EXPECT_EQ(header(five), "000005000000");
    EXPECT_EQ(five.size(), 8 + 8); // 5 bytes -> 8 Base64 characters
    const QByteArray big(70000, '\xff');
    const QByteArray securedBig = cipher.SecureString(big, QByteArray("p"));
    EXPECT_EQ(header(securedBig), "011170000000");
    EXPECT_TRUE(std::all_of(securedBig.begin(), securedBig.end(),
                            [](char c) { return c >= 0x20 && c < 0x7f; }));
    EXPECT_EQ(cipher.DeSecureString(securedBig, QByteArray("p")), big);
    for (int length = 1; length <= 10; ++length) {
        const QByteArray text = QByteArray("ABCDEFGHIJ").left(length);
        EXPECT_EQ(cipher.DeSecureString(cipher.SecureString(text, QByteArray("pass")),
                                        QByteArray("pass")),
                  text);
    }
    const QString unicode = QStringLiteral("C:/Daten/Übersicht, 2026\n");
    EXPECT_EQ(cipher.DeSecureString(cipher.SecureString(unicode, QStringLiteral("pw")),
                                    QStringLiteral("pw")),
              unicode);
    // A wrong key gives garbage of the right length, not an error.
    const QByteArray garbage = cipher.DeSecureString(
        cipher.SecureString(QByteArray("C:/Data/"), QByteArray("right")), QByteArray("wrong"));
    EXPECT_EQ(garbage.size(), 8);
    EXPECT_NE(garbage, QByteArray("C:/Data/"));
}

TEST(CCipher, BrokenTextGivesErrorTextsAndEverySequenceClearsTheLibrary)
{
    CCipher cipher;
    cipher.Initilize(QByteArray("*"), 0);
    const QByteArray cleared = cipher.Cipher(QByteArray(16, '\0'));
    const struct
    {
        QByteArray secured;
        QByteArray answer;
    } broken[] = {
        {"AAA", "ERR"},
        {"", "ERR"},
        {cipher.SecureString(QByteArray(), QByteArray("k")), "ERR2"},
        {"AAAFAAAA", "ERR2"},
    };
    for (const auto &b : broken) {
        EXPECT_EQ(cipher.DeSecureString(b.secured, QByteArray("k")), b.answer) << b.secured.data();
        EXPECT_EQ(cipher.Cipher(QByteArray(16, '\0')), cleared);
    }
    const QByteArray prefix = CCipher::ErrorPrefix.toLatin1();
    EXPECT_TRUE(
        cipher.DeSecureString(QByteArray("AAAFAAAA**%%"), QByteArray("k")).startsWith(prefix));
    const QByteArray secured = cipher.SecureString(QByteArray("x"), QByteArray("pw"));
    EXPECT_EQ(cipher.Cipher(QByteArray(16, '\0')), cleared);
    EXPECT_TRUE(cipher.DeSecureString(secured, QByteArray("pw"), 2).startsWith(prefix));
    EXPECT_THROW(cipher.SecureString(QByteArray("x"), QByteArray("pw"), 2), std::invalid_argument);
}
