#include "BoxBuilder.h"
#include "TestSupport.h"
#include "cipher/CCipher.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

// The format document ends with test vectors; they must match what this build produces.
namespace {

QByteArray documentedVector(const QString &name)
{
    const QString doc =
        QString::fromUtf8(TestSupport::readFile(QStringLiteral(VAULNIX_DOCS_DIR "/box-format.md")));
    const QRegularExpression block(
        QStringLiteral("<!-- vector:%1 -->\\s*```\\s*([0-9a-f\\s]+)```").arg(name));
    const QRegularExpressionMatch m = block.match(doc);
    if (!m.hasMatch())
        return {};
    QString hex = m.captured(1);
    hex.remove(QRegularExpression(QStringLiteral("\\s")));
    return QByteArray::fromHex(hex.toLatin1());
}

} // namespace

TEST(BoxFormatDocument, VectorsMatchThisBuild)
{
    const QByteArray plain = BoxBuilder::workedLayout().plainHeader();
    CCipher cipher;
    cipher.Initilize(QStringLiteral("secret"), 0);
    const QByteArray stream = cipher.Cipher(QByteArray(32, '\0'));
    const QByteArray box = BoxBuilder::workedLayout().build(QStringLiteral("secret"));
    ASSERT_EQ(plain.size(), 48);
    ASSERT_EQ(box.size(), 56);
    EXPECT_EQ(documentedVector("plain-header").toHex(' ').toStdString(),
              plain.toHex(' ').toStdString());
    EXPECT_EQ(documentedVector("keystream-secret").toHex(' ').toStdString(),
              stream.toHex(' ').toStdString());
    EXPECT_EQ(documentedVector("box-secret").toHex(' ').toStdString(),
              box.toHex(' ').toStdString());
}
