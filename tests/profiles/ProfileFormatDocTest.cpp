#include "TestSupport.h"
#include "cipher/qvcryptlib.h"
#include "profiles/ProfileCipher.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <sodium.h>

// The profile format document ends with test vectors; they must match what this build produces.
namespace {

QByteArray documented(const QString &name)
{
    const QString doc = QString::fromUtf8(
        TestSupport::readFile(QStringLiteral(VAULNIX_DOCS_DIR "/profile-format.md")));
    const QRegularExpression block(
        QStringLiteral("<!-- vector:%1 -->\\s*```\\s*([^`]+)```").arg(name));
    return block.match(doc).captured(1).trimmed().toLatin1();
}

QByteArray documentedHex(const QString &name)
{
    return QByteArray::fromHex(documented(name).replace(' ', "").replace('\n', ""));
}

} // namespace

TEST(ProfileFormatDocument, VectorsMatchThisBuild)
{
    const QByteArray password = "secret";
    const QByteArray line = "2,/home/anna/work.vlx,work,/home/anna/Work/,0,1,";

    // The key from its construction alone, not through the program's cipher.
    const QByteArray key = TestSupport::argon2idKey(password, "vaulnix-qvtext01");
    EXPECT_EQ(key.toHex(' '), documentedHex("profile-key").toHex(' '));

    ASSERT_EQ(InitCipher(password.constData(), int32_t(password.size()), 1), 1);
    QByteArray stream(64, '\0');
    CipherBuffer(stream.constData(), 64, stream.data());
    EXPECT_EQ(stream.toHex(' '), documentedHex("profile-keystream").toHex(' '));

    ProfileCipher profile{QString::fromLatin1(password)};
    EXPECT_EQ(QByteArray(1, profile.marker()).toHex(), documented("profile-marker"));
    EXPECT_EQ(profile.secure(QString::fromLatin1(line)), documented("profile-line"));
    EXPECT_EQ(profile.unsecure(documented("profile-line")), QString::fromLatin1(line));
}
