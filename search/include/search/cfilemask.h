#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <QString>
#include <QStringList>

// The mask list of a search: FileMasks split at ";", every piece trimmed, empty pieces and
// pieces equal to an earlier one dropped. An empty result becomes the single mask "*.*".
[[nodiscard]] QStringList SplitFileMasks(const QString& masks);

// One file mask, matched like the wildcards of directory enumeration: "*" stands for any run
// of characters (also none), "?" for exactly one character, and letters match without regard
// to case. A mask ending in ".*" also matches a name without that extension ("a.*" matches
// "a"), so "*.*" matches every name. Names are the raw bytes of the file system, taken as
// UTF-8; "?" stands for one character, not one byte.
class CFileMask {
public:
    explicit CFileMask(const QString& mask);

    [[nodiscard]] bool Matches(std::string_view name) const;
    [[nodiscard]] const QString& Text() const { return text_; }

private:
    [[nodiscard]] bool MatchesWide(std::string_view name) const;

    QString text_;
    bool ascii_ = true;
    // The mask with ASCII letters lowered, for ASCII names (the common case, and the fast one).
    std::string asciiPattern_;
    bool optionalExtension_ = false;
    // The mask case-folded into code points, for names or masks beyond ASCII.
    std::u32string widePattern_;
};
