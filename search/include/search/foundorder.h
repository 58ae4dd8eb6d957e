#pragma once

#include <QString>
#include <QStringList>

// The order of the found-file list: locale-aware text comparison, where letters sort
// alphabetically whatever their case and, for texts that differ only in case, lower case comes
// first. Texts the collation finds equal fall back to their code points, so the order is total.
// Under the C locale, which collates by code point only, the comparison uses English rules.
[[nodiscard]] int CompareFoundOrder(const QString& a, const QString& b);
[[nodiscard]] inline bool FoundOrderLess(const QString& a, const QString& b) {
    return CompareFoundOrder(a, b) < 0;
}
// Sorts paths into that order.
void SortFoundOrder(QStringList& paths);
