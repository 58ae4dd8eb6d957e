#include "search/foundorder.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace {

TEST(FoundOrder, LettersAlphabeticalWhateverTheirCaseLowerCaseFirstOnTies) {
    struct Case {
        const char* name;
        QStringList input;
        QStringList expected;
    };
    const Case cases[] = {
        {"case_does_not_split_the_alphabet",
         {"/s/Zeta.ild", "/s/alpha.ild", "/s/Beta.ild"},
         {"/s/alpha.ild", "/s/Beta.ild", "/s/Zeta.ild"}},
        {"lower_case_first_on_ties",
         {"/s/B.ILD", "/s/b.ild", "/s/A.ild", "/s/a.ild"},
         {"/s/a.ild", "/s/A.ild", "/s/b.ild", "/s/B.ILD"}},
        {"directory_before_deeper_name",
         {"/s/sub/c.ild", "/s/a.ild", "/s/B.ILD"},
         {"/s/a.ild", "/s/B.ILD", "/s/sub/c.ild"}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        QStringList sorted = row.input;
        SortFoundOrder(sorted);
        EXPECT_EQ(sorted, row.expected);

        QStringList byLess = row.input;
        std::sort(byLess.begin(), byLess.end(), FoundOrderLess);
        EXPECT_EQ(byLess, row.expected);
    }
}

TEST(FoundOrder, IsTotalAndAntisymmetric) {
    const QStringList texts = {"a", "A", "a.ild", "A.ild", "b", "\xC3\xA9", "e", "E", "a b"};
    for (const QString& x : texts) {
        EXPECT_EQ(CompareFoundOrder(x, x), 0);
        for (const QString& y : texts) {
            if (x == y)
                continue;
            EXPECT_NE(CompareFoundOrder(x, y), 0) << x.toStdString() << " " << y.toStdString();
            EXPECT_EQ(CompareFoundOrder(x, y) < 0, CompareFoundOrder(y, x) > 0);
        }
    }
}

} // namespace
