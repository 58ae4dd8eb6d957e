#include "search/cfilemask.h"

#include <gtest/gtest.h>

namespace {

struct MaskCase {
    const char* name;
    const char* mask;
    const char* entry;
    bool matches;
};

const MaskCase kMaskCases[] = {
    {"extension_lower", "*.ild", "a.ild", true},
    {"extension_upper_name", "*.ild", "B.ILD", true},
    {"extension_upper_mask", "*.ILD", "mixed.Ild", true},
    {"trailing_extension_not_matched", "*.ild", "c.ild.bak", false},
    {"longer_extension_not_matched", "*.ild", "x.ilda", false},
    {"star_may_be_empty", "*.ild", ".ild", true},
    {"no_dot", "*.ild", "ild", false},
    {"question_one_char", "?.ild", "a.ild", true},
    {"question_not_two_chars", "?.ild", "ab.ild", false},
    {"question_not_zero_chars", "?.ild", ".ild", false},
    {"question_one_multibyte_char", "?.ild", "\xC3\xA9.ild", true},
    {"non_ascii_case", "\xC3\xA9t\xC3\xA9.ild", "\xC3\x89T\xC3\x89.ILD", true},
    {"non_ascii_different_letter", "\xC3\xA9.ild", "e.ild", false},
    {"star_dot_star_without_dot", "*.*", "README", true},
    {"star_dot_star_dotfile", "*.*", ".hidden", true},
    {"optional_extension", "show?.*", "show1", true},
    {"optional_extension_with_extension", "show?.*", "show1.ild", true},
    {"two_stars", "a*b*c", "aXXbYYc", true},
    {"two_stars_missing_tail", "a*b*c", "aXXbYY", false},
    {"star_backtracks", "*ab", "aaab", true},
    {"literal_exact", "laser.ild", "LASER.ILD", true},
    {"literal_prefix_only", "laser.ild", "laser.ild2", false},
    {"trailing_blank_counts", "*.ild", "x.ild ", false},
};

class FileMaskMatch : public testing::TestWithParam<MaskCase> {};

TEST_P(FileMaskMatch, MatchesLikeDirectoryEnumeration) {
    const MaskCase& row = GetParam();
    EXPECT_EQ(CFileMask(QString::fromUtf8(row.mask)).Matches(row.entry), row.matches)
        << "mask " << row.mask << " entry " << row.entry;
}

INSTANTIATE_TEST_SUITE_P(Table, FileMaskMatch, testing::ValuesIn(kMaskCases),
                         [](const testing::TestParamInfo<MaskCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(FileMaskMatch, LongNamesBeyondTheStackBuffer) {
    const std::string name = std::string(600, 'x') + ".ILD";
    EXPECT_TRUE(CFileMask("*.ild").Matches(name));
    EXPECT_FALSE(CFileMask("*.scn").Matches(name));
}

struct SplitCase {
    const char* name;
    const char* masks;
    QStringList expected;
};

TEST(SplitFileMasks, TrimsAndDropsEmptyAndRepeatedPieces) {
    const SplitCase cases[] = {
        {"empty_means_all", "", {"*.*"}},
        {"only_blanks_and_separators", " ; ;", {"*.*"}},
        {"blank_empty_and_repeated", " *.ild;;*.scn;*.ild", {"*.ild", "*.scn"}},
        {"trimmed_repeat", "*.ild ; *.ild", {"*.ild"}},
        {"case_differs_is_another_piece", "*.ild;*.ILD", {"*.ild", "*.ILD"}},
        {"order_kept", "b*;a*", {"b*", "a*"}},
    };
    for (const SplitCase& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SplitFileMasks(QString::fromUtf8(row.masks)), row.expected);
    }
}

} // namespace
