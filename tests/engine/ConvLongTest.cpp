#include "engine/ConvLong.h"
#include "core/VaulnixError.h"

#include <gtest/gtest.h>

using namespace ConvLong;

TEST(ConvLong, EncodesBigEndianAndRefusesWhatDoesNotFit)
{
    EXPECT_EQ(LongToStr(16777216), QByteArray::fromHex("01000000"));
    EXPECT_EQ(LongToStr(2147483647), QByteArray::fromHex("7fffffff"));
    EXPECT_EQ(StrToLong(QByteArray::fromHex("01000000ffff")), 16777216); // only 4 bytes read
    EXPECT_EQ(IntToStr(65535), QByteArray::fromHex("ffff"));
    EXPECT_EQ(StrToInt(QByteArray::fromHex("0102ff")), 258);
    EXPECT_THROW(LongToStr(-1), VaulnixError);
    EXPECT_THROW(IntToStr(65536), VaulnixError);
    EXPECT_THROW(IntToStr(-1), VaulnixError);
    EXPECT_THROW(StrToLong(QByteArray::fromHex("80000000")), VaulnixError);
    EXPECT_THROW(StrToLong(QByteArray::fromHex("000000")), VaulnixError);
    EXPECT_THROW(StrToInt(QByteArray::fromHex("01")), VaulnixError);
}
