#include "base/ByteText.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

TEST(ByteTextTest, EveryByteStringComesBackWhole)
{
    for (int b = 0; b < 256; ++b) {
        const QByteArray one(1, char(b));
        EXPECT_EQ(ByteText::encode(ByteText::decode(one)), one) << b;
        EXPECT_EQ(ByteText::decodeWindows1252(one).size(), 1);
        EXPECT_EQ(ByteText::encodeWindows1252(ByteText::decodeWindows1252(one)).value_or(QByteArray()), one) << b;
    }
    QRandomGenerator random(7);
    for (int i = 0; i < 2000; ++i) {
        QByteArray bytes(int(random.bounded(1, 40)), Qt::Uninitialized);
        for (char &c : bytes)
            c = char(random.bounded(256));
        ASSERT_EQ(ByteText::encode(ByteText::decode(bytes)), bytes) << bytes.toHex().toStdString();
    }
}

TEST(ByteTextTest, ValidUtf8IsOrdinaryText)
{
    const QString text = QStringLiteral("M\u00e4rz \U0001F600 \u20ac \u0000 end");
    const QByteArray utf8 = text.toUtf8();
    EXPECT_TRUE(ByteText::isUtf8(utf8));
    EXPECT_EQ(ByteText::decode(utf8), text);
    EXPECT_FALSE(ByteText::hasEscapes(ByteText::decode(utf8)));
    EXPECT_EQ(ByteText::encode(text), utf8);
    // Overlong forms, surrogates and lone lead bytes are not UTF-8.
    for (const char *bad : {"\xc0\xaf", "\xed\xa0\x80", "\xe4r", "\xf5\x80\x80\x80", "abc\xe2\x82"}) {
        EXPECT_FALSE(ByteText::isUtf8(bad)) << bad;
        EXPECT_TRUE(ByteText::hasEscapes(ByteText::decode(bad)));
    }
    EXPECT_EQ(ByteText::decodeWindows1252("\x80\x93\xe4"), QStringLiteral("\u20ac\u201c\u00e4"));
    EXPECT_FALSE(ByteText::encodeWindows1252(QStringLiteral("\u4e2d")));
}
