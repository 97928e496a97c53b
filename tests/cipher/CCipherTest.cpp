#include "cipher/CCipher.h"

#include <gtest/gtest.h>

TEST(CCipher, TheStreamSplitsFreelyAndAFailedKeyingLeavesItRunning)
{
    CCipher cipher;
    const QByteArray plain =
        QByteArray("The quick brown fox jumps over the lazy dog.").repeated(50);
    cipher.Initilize(QByteArray("key"), 0);
    const QByteArray whole = cipher.Cipher(plain);
    EXPECT_TRUE(cipher.Initilize(QByteArray("key"), 0));
    QByteArray pieces;
    for (qsizetype at = 0; at < plain.size(); at += 37) {
        pieces += cipher.Cipher(plain.mid(at, 37));
        if (at == 37) { // an empty key or an unknown mode keys nothing
            EXPECT_FALSE(cipher.Initilize(QByteArray(), 0));
            for (const qint16 mode : {2, -1})
                EXPECT_FALSE(cipher.Initilize(QByteArray("key"), mode)) << mode;
        }
    }
    EXPECT_EQ(pieces, whole);
    cipher.Initilize(QByteArray("key"), 0);
    EXPECT_EQ(cipher.Cipher(whole), plain) << "self-inverse";
}

TEST(CCipher, SecuredTextCarriesItsLengthAndBrokenTextGivesErrorTextsAndClearsTheLibrary)
{
    CCipher cipher;
    const QByteArray big(70000, '\xff');
    const QByteArray securedBig = cipher.SecureString(big, QByteArray("p"));
    EXPECT_EQ(QByteArray::fromBase64(securedBig.left(8)).toHex(), "011170000000");
    EXPECT_EQ(cipher.DeSecureString(securedBig, QByteArray("p")), big);

    cipher.Initilize(QByteArray("*"), 0);
    const QByteArray cleared = cipher.Cipher(QByteArray(16, '\0'));
    const std::pair<QByteArray, QByteArray> broken[] = {
        {"AAA", "ERR"},
        {"", "ERR"},
        {cipher.SecureString(QByteArray(), QByteArray("k")), "ERR2"},
        {"AAAFAAAA", "ERR2"}};
    for (const auto &[secured, answer] : broken) {
        EXPECT_EQ(cipher.DeSecureString(secured, QByteArray("k")), answer) << secured.data();
        EXPECT_EQ(cipher.Cipher(QByteArray(16, '\0')), cleared);
    }
    const QByteArray prefix = CCipher::ErrorPrefix.toLatin1();
    EXPECT_TRUE(
        cipher.DeSecureString(QByteArray("AAAFAAAA**%%"), QByteArray("k")).startsWith(prefix));
    EXPECT_TRUE(cipher.DeSecureString(securedBig, QByteArray("p"), 2).startsWith(prefix));
    EXPECT_THROW(cipher.SecureString(QByteArray("x"), QByteArray("pw"), 2), std::invalid_argument);
}
