#include "search/cfilemask.h"

#include <QSet>

QStringList SplitFileMasks(const QString& masks) {
    QStringList list;
    QSet<QString> seen;
    for (const QString& piece : masks.split(u';')) {
        const QString mask = piece.trimmed();
        if (mask.isEmpty() || seen.contains(mask))
            continue;
        seen.insert(mask);
        list.append(mask);
    }
    if (list.isEmpty())
        list.append(QStringLiteral("*.*"));
    return list;
}

namespace {

template <typename Char>
bool MatchWildcards(std::basic_string_view<Char> pattern, std::basic_string_view<Char> name) {
    // Iterative matching that backtracks only to the last "*": linear for the usual masks,
    // never exponential.
    size_t p = 0;
    size_t n = 0;
    size_t starP = std::basic_string_view<Char>::npos;
    size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == Char('?') || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (starP != std::basic_string_view<Char>::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == Char('*'))
        ++p;
    return p == pattern.size();
}

template <typename Char>
bool MatchMask(std::basic_string_view<Char> pattern, std::basic_string_view<Char> name,
               bool optionalExtension) {
    if (MatchWildcards(pattern, name))
        return true;
    return optionalExtension && MatchWildcards(pattern.substr(0, pattern.size() - 2), name);
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::u32string FoldedCodePoints(const QString& text) {
    std::u32string out;
    for (char32_t c : text.toCaseFolded().toUcs4())
        out.push_back(c);
    return out;
}

} // namespace

CFileMask::CFileMask(const QString& mask) : text_(mask) {
    for (QChar c : mask) {
        if (c.unicode() >= 0x80)
            ascii_ = false;
    }
    if (ascii_) {
        for (QChar c : mask)
            asciiPattern_.push_back(LowerAscii(static_cast<char>(c.unicode())));
    }
    optionalExtension_ = mask.endsWith(QStringLiteral(".*"));
    widePattern_ = FoldedCodePoints(mask);
}

bool CFileMask::Matches(std::string_view name) const {
    if (!ascii_)
        return MatchesWide(name);
    // Lower the name on the fly into a small buffer; leave for the wide path at the first byte
    // beyond ASCII.
    char buffer[256];
    std::string heap;
    char* lowered = buffer;
    if (name.size() > sizeof buffer) {
        heap.resize(name.size());
        lowered = heap.data();
    }
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (static_cast<unsigned char>(c) >= 0x80)
            return MatchesWide(name);
        lowered[i] = LowerAscii(c);
    }
    return MatchMask(std::string_view(asciiPattern_), std::string_view(lowered, name.size()),
                     optionalExtension_);
}

bool CFileMask::MatchesWide(std::string_view name) const {
    const std::u32string folded =
        FoldedCodePoints(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    return MatchMask(std::u32string_view(widePattern_), std::u32string_view(folded),
                     optionalExtension_);
}
