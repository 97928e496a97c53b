#include "profiles/ActionLine.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

QStringList fields(const ActionLine &l)
{
    return {QString::number(l.Action),  l.BoxFile, l.BoxName, l.Folder, QString::number(l.Shred),
            QString::number(l.Checked), l.LastRan};
}

ActionLine line(const QString &boxFile, const QString &boxName, const QString &lastRan)
{
    ActionLine l;
    l.Action = 2;
    l.BoxFile = boxFile;
    l.BoxName = boxName;
    l.Folder = QStringLiteral("/f/");
    l.Checked = 1;
    l.LastRan = lastRan;
    return l;
}

} // namespace

TEST(ActionLine, OnlyFieldsWithCommasChangeTheForm)
{
    // Escape characters and line breaks alone keep the plain form.
    const ActionLine plain = line("~/100%2C.vlx", "a\r\nb", "~");
    EXPECT_EQ(plain.text(), QStringLiteral("2,~/100%2C.vlx,a\r\nb,/f/,0,1,~"));

    const ActionLine commas = line("/b/a,b.vlx", "100%, done %2C", "Tuesday, 2 January");
    EXPECT_TRUE(commas.text().startsWith(QLatin1Char('~')));
    for (const ActionLine &l : {plain, commas}) {
        const auto back = ActionLine::parse(l.text());
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(fields(*back), fields(l));
    }
}

TEST(ActionLine, ParsingNeedsSevenFieldsAndWholeNumbers)
{
    const auto extra = ActionLine::parse(QStringLiteral("-1,f,n,d,1,-1,ran,more"));
    ASSERT_TRUE(extra.has_value());
    EXPECT_EQ(fields(*extra), QStringList({"-1", "f", "n", "d", "1", "-1", "ran"}));

    for (const char *bad : {"ERR2", "1,f,n,d,0,1", "x,f,n,d,0,1,", "1,f,n,d,1.5,1,",
                            "1,f,n,d,0,40000,", "~1,f,n%zz,d,0,1,"})
        EXPECT_FALSE(ActionLine::parse(QString::fromLatin1(bad)).has_value()) << bad;
}
