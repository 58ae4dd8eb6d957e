#include "search/filenamecodec.h"

#include <random>
#include <string>

#include <QFile>

#include <gtest/gtest.h>

namespace {

struct NameCase {
    const char* name;
    std::string bytes;
    // What the name shows, as UTF-8.
    const char* shown;
};

// Valid UTF-8 of every length, and each way a sequence can fail to be valid.
const NameCase nameCases[] = {
    {"ascii", "laser.ild", "laser.ild"},
    {"utf8_two_bytes", "caf\xc3\xa9.ild", "caf\xc3\xa9.ild"},
    {"utf8_three_bytes", "\xe2\x82\xac.ild", "\xe2\x82\xac.ild"},
    {"utf8_four_bytes", "\xf0\x9f\x98\x80.ild", "\xf0\x9f\x98\x80.ild"},
    {"latin1", "caf\xe9.ild", "caf\xef\xbf\xbd.ild"},
    {"latin1_pair", "\xe9\xe8", "\xef\xbf\xbd\xef\xbf\xbd"},
    {"lone_continuation", "a\x80z", "a\xef\xbf\xbdz"},
    {"cut_off_sequence", "a\xe2\x82", "a\xef\xbf\xbd\xef\xbf\xbd"},
    {"overlong_slash", "\xc0\xaf", "\xef\xbf\xbd\xef\xbf\xbd"},
    {"encoded_surrogate", "\xed\xb3\xa9", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
    {"beyond_unicode", "\xf4\x90\x80\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
    {"astral_then_byte", "\xf0\x90\x82\x80\xff", "\xf0\x90\x82\x80\xef\xbf\xbd"},
};

TEST(FileNameCodec, EveryNameComesBackByteForByteAndShowsReplacementsForBadBytes) {
    for (const NameCase& row : nameCases) {
        SCOPED_TRACE(row.name);
        const QString text = DecodeFileName(row.bytes);
        EXPECT_EQ(EncodeFileName(text), row.bytes);
        EXPECT_EQ(DisplayedFileName(text).toStdString(), std::string(row.shown));
    }
}

TEST(FileNameCodec, ValidUtf8DecodesAsQtDecodesIt) {
    for (const NameCase& row : nameCases) {
        const QByteArray bytes = QByteArray::fromStdString(row.bytes);
        if (QString::fromUtf8(bytes).toUtf8() != bytes)
            continue;
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DecodeFileName(row.bytes), QFile::decodeName(bytes));
    }
}

TEST(FileNameCodec, RandomBytesRoundTrip) {
    std::mt19937 random(13);
    // Mostly high bytes, so that valid and broken sequences of every length turn up.
    std::uniform_int_distribution<int> byte(0x60, 0xFF);
    std::uniform_int_distribution<int> length(1, 12);
    for (int i = 0; i < 20000; ++i) {
        std::string bytes(static_cast<size_t>(length(random)), '\0');
        for (char& c : bytes)
            c = static_cast<char>(byte(random));
        ASSERT_EQ(EncodeFileName(DecodeFileName(bytes)), bytes) << i;
    }
}

TEST(FileNameCodec, TextNotMadeByTheDecoderEncodesAsUtf8) {
    EXPECT_EQ(EncodeFileName(QStringLiteral("Show \u00e9t\u00e9")), "Show \xc3\xa9t\xc3\xa9");
    // A high surrogate without its pair is no name's byte.
    EXPECT_EQ(EncodeFileName(QString(QChar(0xD83D)) + u'x'), "\xef\xbf\xbdx");
    EXPECT_EQ(DisplayedFileName(QString(QChar(0xD83D)) + u'x'), QStringLiteral("\ufffdx"));
}

} // namespace
