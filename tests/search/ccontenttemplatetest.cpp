#include "search/ccontenttemplate.h"

#include <gtest/gtest.h>

namespace {

TEST(ContentTemplate, MatchesWildcardsCaseAndWholeWords) {
    struct Case {
        const char* name;
        const char* text;
        bool matchCase;
        bool wholeWords;
        const char* data;
        bool matches;
    };
    const Case cases[] = {
        {"literal_anywhere", "beam", false, false, "a laser beam.", true},
        {"any_case", "BEAM", false, false, "a laser beam.", true},
        {"match_case_differs", "BEAM", true, false, "a laser beam.", false},
        {"match_case_same", "beam", true, false, "a laser beam.", true},
        {"single_wildcard_one_byte", "b?am", false, false, "bream beam", true},
        {"single_wildcard_needs_a_byte", "be?m", false, false, "bem", false},
        {"sequence_spans", "laser*show", false, false, "laser light show", true},
        {"sequence_order_matters", "show*laser", false, false, "laser light show", false},
        {"sequence_may_be_empty", "laser*show", false, false, "lasershow", true},
        {"three_segments", "a*b*c", false, false, "xxaxxbxxc", true},
        {"three_segments_missing", "a*b*c", false, false, "xxaxxcxxb", false},
        {"whole_word_inside_word", "beam", false, true, "beams", false},
        {"whole_word_later_occurrence", "beam", false, true, "beams and a beam", true},
        {"whole_word_at_edges", "beam", false, true, "beam", true},
        {"whole_word_segments", "red*beam", false, true, "bored beam", false},
        {"whole_word_segments_later_start", "red*beam", false, true, "bored red beam", true},
        {"whole_word_open_end", "las*", false, true, "lasers", true},
        {"whole_word_open_start", "*ers", false, true, "lasers", true},
        {"empty_data", "x", false, false, "", false},
        {"longer_than_data", "laser", false, false, "las", false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        const CContentTemplate content(QString::fromUtf8(row.text), u'?', u'*', row.matchCase,
                                       row.wholeWords);
        EXPECT_TRUE(content.IsValid());
        EXPECT_EQ(content.Matches(row.data), row.matches);
    }
}

TEST(ContentTemplate, OnlyWildcardsIsInvalidAndNonAsciiIsMatchedAsUtf8) {
    EXPECT_FALSE(CContentTemplate("*?*", u'?', u'*', false, false).IsValid());
    EXPECT_FALSE(CContentTemplate("", u'?', u'*', false, false).IsValid());
    // Without wildcard characters "?" and "*" are plain text.
    const CContentTemplate plain("a*b", QChar(), QChar(), false, false);
    EXPECT_TRUE(plain.Matches("xa*by"));
    EXPECT_FALSE(plain.Matches("xaZby"));
    const CContentTemplate accented(QString::fromUtf8("caf\xC3\xA9"), u'?', u'*', false, false);
    EXPECT_TRUE(accented.Matches("un caf\xC3\xA9 noir"));
    EXPECT_FALSE(accented.Matches("un cafe noir"));
}

} // namespace
