// The found-file list's items over many insertions: the sorted runs they are kept in split as
// they grow (past 1,024 texts), and every row, every returned row and every model notification
// must still agree with one plain sorted array, and so must the look-up of a listed text.

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "search/foundorder.h"
#include "widgets/tfoundlistmodel.h"

namespace {

struct InsertionCase {
    const char* name;
    // The i-th of `count` texts added.
    QString (*text)(int i, int count);
    int count;
};

QString Shuffled(int i, int count) {
    // A fixed permutation with many duplicates: the same name in a few directories.
    const int n = static_cast<int>((static_cast<long long>(i) * 7919) % count);
    return QStringLiteral("/show/dir%1/Laser_%2.ild").arg(n % 7).arg(n / 3);
}
QString Ascending(int i, int) {
    return QStringLiteral("/show/%1.ild").arg(i, 6, 10, QChar(u'0'));
}
QString Descending(int i, int count) {
    return Ascending(count - 1 - i, count);
}
QString CaseVariants(int i, int) {
    static const char* const names[] = {"b.ild", "B.ild", "a.ild", "A.ILD", "b.ild"};
    return QString::fromUtf8(names[i % 5]);
}

class FoundListModelInsertion : public ::testing::TestWithParam<InsertionCase> {};

TEST_P(FoundListModelInsertion, AgreesWithASortedArrayAfterEveryInsertion) {
    const InsertionCase& c = GetParam();
    TFoundListModel model(&FoundOrderLess);
    // Checks the model's own consistency (rows, notifications) as it changes.
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    std::vector<QString> reference;
    for (int i = 0; i < c.count; ++i) {
        const QString text = c.text(i, c.count);
        // Contains finds a text already listed, also among equal ones spread over runs.
        ASSERT_EQ(model.Contains(text),
                  std::find(reference.begin(), reference.end(), text) != reference.end())
            << i;
        ASSERT_FALSE(model.Contains(text + u'~')) << i;
        const auto place =
            std::upper_bound(reference.begin(), reference.end(), text, &FoundOrderLess);
        const int expectedRow = static_cast<int>(place - reference.begin());
        reference.insert(place, text);
        ASSERT_EQ(model.Add(text), expectedRow) << i;
        ASSERT_EQ(inserted.size(), i + 1);
        ASSERT_EQ(inserted.back().at(1).toInt(), expectedRow);
        ASSERT_EQ(model.Item(expectedRow), text);
    }
    ASSERT_EQ(model.Count(), c.count);
    ASSERT_EQ(model.rowCount(), c.count);
    for (int row = 0; row < c.count; ++row)
        ASSERT_EQ(model.Item(row), reference[static_cast<size_t>(row)]) << row;
    EXPECT_EQ(model.data(model.index(c.count - 1, 0), Qt::DisplayRole).toString(),
              reference.back());

    model.Clear();
    EXPECT_EQ(model.Count(), 0);
    // Filling again after a clear starts from one run.
    EXPECT_EQ(model.Add(c.text(0, c.count)), 0);
    EXPECT_EQ(model.Count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Orders, FoundListModelInsertion,
                         ::testing::Values(InsertionCase{"Shuffled", &Shuffled, 2200},
                                           InsertionCase{"Ascending", &Ascending, 1500},
                                           InsertionCase{"Descending", &Descending, 1500},
                                           InsertionCase{"CaseVariants", &CaseVariants, 1100}),
                         [](const ::testing::TestParamInfo<InsertionCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
