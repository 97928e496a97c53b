#include "TestSupport.h"
#include "cipher/ChunkAead.h"
#include "cipher/SealedKeys.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

// The sealed format's document ends with vectors; this build must produce them.
TEST(BoxFormat2Document, VectorsMatchThisBuild)
{
    const QString doc =
        QString::fromUtf8(TestSupport::readFile(VAULNIX_DOCS_DIR "/box-format-2.md"));
    const auto documented = [&doc](const char *name) {
        const QRegularExpression block(
            QStringLiteral("<!-- vector:%1 -->\\s*```\\s*([^`]+)```").arg(name));
        return block.match(doc).captured(1).simplified().toStdString();
    };
    const auto spaced = [](const unsigned char *p, qsizetype n) {
        return QByteArray(reinterpret_cast<const char *>(p), n).toHex(' ').toStdString();
    };
    SealedKeys keys;
    ASSERT_EQ(keys.derive(TestSupport::VectorPassword.toUtf8(),
                          QByteArray::fromHex("000102030405060708090a0b0c0d0e0f"), 2, 65536),
              SealedKeys::Result::Derived);
    EXPECT_EQ(spaced(keys.boxKey().data(), 32), documented("box-key"));
    EXPECT_EQ(spaced(keys.headerKey().data(), 32), documented("header-key"));
    SecretKey file;
    ASSERT_TRUE(keys.fileKey(1, file));
    EXPECT_EQ(spaced(file.data(), 32), documented("file-1-key"));

    ChunkAead aead;
    aead.setKey(file);
    QByteArray plain(100, '\0');
    for (int i = 0; i < 100; ++i)
        plain[i] = char(i);
    for (const auto &[index, last, name] :
         {std::tuple{0, true, "chunk-0-last"}, std::tuple{1, false, "chunk-1"}}) {
        QByteArray sealed(116, '\0');
        aead.sealChunk(uint64_t(index), last, plain.constData(), 100, sealed.data());
        EXPECT_EQ(sealed.toHex(' ').toStdString(), documented(name)) << name;
    }
    EXPECT_TRUE(doc.contains(QStringLiteral("## Worked layout")));
}
