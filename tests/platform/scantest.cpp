#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

#include "platform/scan.h"

namespace {

// The C library is the reference: every row must scan exactly as sscanf does, both in whether
// a number is found and in the value stored. Values stay below 2^64, where the C library's
// result is its low 32 bits too.
const char* const kTexts[] = {
    "0",          "7",          "42",         "0x20",        "0X1F",       "010",
    "08",         "0x",         "0xg",        "0x1g",        "ff",         "FF",
    "0xff",       "0x0000ff00", "0x00ffffff", "-1",          "-0x10",      "+7",
    "-",          "+",          "- 5",        "+-1",         " \t12",      "\n 9",
    "x1",         "g",          "",           "true",        "12abc",      "00x5",
    "0xx5",       "4294967295", "4294967296", "2147483647",  "2147483648", "-2147483648",
    "0x7fffffff", "0x80000000", "0xffffffff", "0x1ffffffff", "077",        "0777777777777",
    "9",          "-0",         "1e5",        "1.5",         "0b101",      " ",
};

TEST(ScanTest, HexMatchesTheCLibrary) {
    for (const char* text : kTexts) {
        SCOPED_TRACE(std::string("text \"") + text + "\"");
        unsigned expected = 0xDEADBEEF;
        const bool expectedFound = std::sscanf(text, "%x", &expected) == 1;
        uint32_t value = 0xDEADBEEF;
        EXPECT_EQ(ScanHex(text, value), expectedFound);
        EXPECT_EQ(value, expected);
    }
}

TEST(ScanTest, IntMatchesTheCLibrary) {
    for (const char* text : kTexts) {
        SCOPED_TRACE(std::string("text \"") + text + "\"");
        int expected = -12345;
        const bool expectedFound = std::sscanf(text, "%i", &expected) == 1;
        int32_t value = -12345;
        EXPECT_EQ(ScanInt(text, value), expectedFound);
        EXPECT_EQ(value, expected);
    }
}

TEST(ScanTest, HugeValuesHaveADefinedResult) {
    // Beyond 64 bits the C library clamps; ours keeps the low 32 bits. Either way: no fault.
    uint32_t hex = 0;
    EXPECT_TRUE(ScanHex("123456789abcdef0123456789abcdef", hex));
    EXPECT_EQ(hex, 0x89abcdefu);
    int32_t integer = 0;
    EXPECT_TRUE(ScanInt("-99999999999999999999999999", integer));
}

TEST(ScanTest, NullTextFindsNoNumber) {
    uint32_t hex = 5;
    int32_t integer = 6;
    EXPECT_FALSE(ScanHex(nullptr, hex));
    EXPECT_FALSE(ScanInt(nullptr, integer));
    EXPECT_EQ(hex, 5u);
    EXPECT_EQ(integer, 6);
}

static_assert([] {
    int32_t v = 0;
    return ScanInt("0x20", v) && v == 32;
}());

} // namespace
