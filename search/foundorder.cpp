#include "search/foundorder.h"

#include <algorithm>
#include <vector>

#include <QCollator>
#include <QLocale>

namespace {

QCollator MakeCollator() {
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseSensitive);
    collator.setNumericMode(false);
    collator.setIgnorePunctuation(false);
    return collator;
}

const QCollator& Collator() {
    thread_local const QCollator collator = MakeCollator();
    return collator;
}

} // namespace

int CompareFoundOrder(const QString& a, const QString& b) {
    const int order = Collator().compare(a, b);
    if (order != 0)
        return order;
    return a.compare(b);
}

void SortFoundOrder(QStringList& paths) {
    // Sort keys once per path rather than collating every comparison from scratch.
    const QCollator& collator = Collator();
    std::vector<std::pair<QCollatorSortKey, qsizetype>> keys;
    keys.reserve(static_cast<size_t>(paths.size()));
    for (qsizetype i = 0; i < paths.size(); ++i)
        keys.emplace_back(collator.sortKey(paths.at(i)), i);
    std::stable_sort(keys.begin(), keys.end(), [&](const auto& x, const auto& y) {
        const int order = x.first.compare(y.first);
        if (order != 0)
            return order < 0;
        return paths.at(x.second).compare(paths.at(y.second)) < 0;
    });
    QStringList sorted;
    sorted.reserve(paths.size());
    for (const auto& key : keys)
        sorted.append(paths.at(key.second));
    paths = std::move(sorted);
}
