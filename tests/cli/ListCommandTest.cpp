#include "CliFixture.h"
#include "TestSupport.h"
#include "engine/ConvLong.h"

#include <QFile>
#include <QJsonObject>

namespace {

class ListCommand : public CliFixture
{
protected:
    int list(const QString &box)
    {
        nextConsole().input = TestSupport::VectorPassword.toUtf8() + '\n';
        return run({"list", box});
    }
};

} // namespace

TEST_F(ListCommand, PrintsEveryKnownAnswerBoxExactly)
{
    const QJsonObject boxes = TestSupport::vectors()["boxes"].toObject();
    ASSERT_FALSE(boxes.isEmpty());
    for (auto it = boxes.begin(); it != boxes.end(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        EXPECT_EQ(list(TestSupport::vectorPath(it.key() + ".vlx")), 0);
        EXPECT_EQ(console().output(), it.value().toObject()["listing"].toString().toStdString());
        EXPECT_EQ(console().errors(), "");
    }
}

TEST_F(ListCommand, WrongPasswordAndDamageAreStatusOne)
{
    const QString vector = TestSupport::vectorPath("worked-layout.vlx");
    nextConsole().input = "not the password\n";
    EXPECT_EQ(run({"list", vector}), 1);
    EXPECT_EQ(console().output(), "");
    EXPECT_NE(console().errors().find("wrong password or damaged box"), std::string::npos);
    EXPECT_EQ(console().errors().find("Password incorrect"), std::string::npos);

    // Cut short by one byte: the table no longer adds up to the payload.
    const QByteArray bytes = TestSupport::readFile(vector);
    write("cut.vlx", bytes.left(bytes.size() - 1));
    EXPECT_EQ(list(path("cut.vlx")), 1);
    write("empty.vlx", "");
    EXPECT_EQ(list(path("empty.vlx")), 1);
}

TEST_F(ListCommand, AMissingBoxIsStatusFourNamingIt)
{
    EXPECT_EQ(list(path("nowhere.vlx")), 4);
    EXPECT_NE(console().errors().find(path("nowhere.vlx").toStdString()), std::string::npos);
    // Checked before any password is read.
    nextConsole().inputTerminal = true;
    EXPECT_EQ(run({"list", path("nowhere.vlx")}), 4);
    EXPECT_TRUE(console().prompts.isEmpty());
    EXPECT_EQ(list(dir.path()), 4);
}

TEST_F(ListCommand, ControlCharactersInNamesCannotForgeLinesOrEscapes)
{
    // A box whose name and file name carry a line break, a tab and an escape sequence.
    CCipher cipher;
    const QByteArray name = "evil\nRoot Folder: x";
    const QByteArray fileName = "a\tb\x1b[2Jc";
    const QByteArray record = ConvLong::IntToStr(0) + ConvLong::LongToStr(1) + fileName;
    cipher.Initilize(QString::fromUtf8(Password));
    QByteArray box = cipher.Cipher("$");
    box += char(name.size());
    box += cipher.Cipher(name);
    box += ConvLong::LongToStr(0);
    box += ConvLong::LongToStr(qint32(record.size()));
    box += cipher.Cipher(record);
    cipher.Initilize(QString::fromUtf8(Password));
    box += cipher.Cipher("z");
    write("evil.vlx", box);

    EXPECT_EQ(run({"list", path("evil.vlx")}), 0);
    EXPECT_EQ(console().output(), "Box Name: evil?Root Folder: x\n"
                                  "Root Folder: \n"
                                  "1\t1\ta?b?[2Jc\n"
                                  "Files: 1  Size: 1\n");
}
