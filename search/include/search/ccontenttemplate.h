#pragma once

#include <string_view>
#include <vector>

#include <QChar>
#include <QString>

// The content template of a file search: a text that a file's bytes must contain. The
// single-character wildcard stands for any one byte and the sequence wildcard for any run of
// bytes (also none); other characters are matched as their UTF-8 bytes.
class CContentTemplate {
public:
    CContentTemplate(const QString& text, QChar anySingle, QChar anySequence, bool matchCase,
                     bool wholeWords);

    // False when the template holds no character but wildcards: it would say nothing about a
    // file's contents.
    [[nodiscard]] bool IsValid() const { return valid_; }
    // Whether the bytes contain the template. Without matchCase, ASCII letters match regardless
    // of case; with wholeWords, the match neither begins nor ends inside a word (ASCII letters,
    // digits, "_" and bytes beyond ASCII count as word characters).
    [[nodiscard]] bool Matches(std::string_view data) const;

private:
    // One run of the template between sequence wildcards; -1 stands for any byte.
    using Segment = std::vector<int>;

    [[nodiscard]] bool SegmentAt(const Segment& segment, std::string_view data, size_t at) const;
    [[nodiscard]] bool WordBoundaryBefore(std::string_view data, size_t at) const;
    [[nodiscard]] bool WordBoundaryAfter(std::string_view data, size_t end) const;

    std::vector<Segment> segments_;
    bool matchCase_ = false;
    bool wholeWords_ = false;
    bool openStart_ = false;
    bool openEnd_ = false;
    bool valid_ = false;
};
