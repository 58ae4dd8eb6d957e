#include "search/ccontenttemplate.h"

namespace {

unsigned char UpperAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

bool IsWordByte(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           c >= 0x80;
}

} // namespace

CContentTemplate::CContentTemplate(const QString& text, QChar anySingle, QChar anySequence,
                                   bool matchCase, bool wholeWords)
    : matchCase_(matchCase), wholeWords_(wholeWords) {
    const bool hasSequence = !anySequence.isNull();
    const bool hasSingle = !anySingle.isNull();
    openStart_ = hasSequence && text.startsWith(anySequence);
    openEnd_ = hasSequence && text.endsWith(anySequence);
    Segment current;
    auto flush = [&] {
        if (!current.empty())
            segments_.push_back(std::move(current));
        current.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (hasSequence && c == anySequence) {
            flush();
        } else if (hasSingle && c == anySingle) {
            current.push_back(-1);
        } else {
            // A surrogate pair is one character: encode both halves together.
            qsizetype length = 1;
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                length = 2;
            for (char byte : text.mid(i, length).toUtf8()) {
                const auto value = static_cast<unsigned char>(byte);
                current.push_back(matchCase_ ? value : UpperAscii(value));
            }
            i += length - 1;
            valid_ = true;
        }
    }
    flush();
}

bool CContentTemplate::SegmentAt(const Segment& segment, std::string_view data, size_t at) const {
    if (at + segment.size() > data.size())
        return false;
    for (size_t k = 0; k < segment.size(); ++k) {
        if (segment[k] < 0)
            continue;
        auto byte = static_cast<unsigned char>(data[at + k]);
        if (!matchCase_)
            byte = UpperAscii(byte);
        if (byte != segment[k])
            return false;
    }
    return true;
}

bool CContentTemplate::WordBoundaryBefore(std::string_view data, size_t at) const {
    return !wholeWords_ || openStart_ || at == 0 ||
           !IsWordByte(static_cast<unsigned char>(data[at - 1]));
}

bool CContentTemplate::WordBoundaryAfter(std::string_view data, size_t end) const {
    return !wholeWords_ || openEnd_ || end >= data.size() ||
           !IsWordByte(static_cast<unsigned char>(data[end]));
}

bool CContentTemplate::Matches(std::string_view data) const {
    if (!valid_ || segments_.empty())
        return false;
    // Taking each segment at its earliest admissible place is optimal: segments are separated
    // by sequence wildcards, so an earlier end never rules out a later segment. Only the first
    // segment's start and the last segment's end carry the word-boundary conditions.
    if (segments_.size() == 1) {
        const Segment& only = segments_.front();
        for (size_t at = 0; at + only.size() <= data.size(); ++at) {
            if (SegmentAt(only, data, at) && WordBoundaryBefore(data, at) &&
                WordBoundaryAfter(data, at + only.size()))
                return true;
        }
        return false;
    }
    size_t position = 0;
    for (size_t s = 0; s < segments_.size(); ++s) {
        const Segment& segment = segments_[s];
        const bool first = s == 0;
        const bool last = s + 1 == segments_.size();
        bool found = false;
        for (size_t at = position; at + segment.size() <= data.size(); ++at) {
            if (!SegmentAt(segment, data, at))
                continue;
            if (first && !WordBoundaryBefore(data, at))
                continue;
            if (last && !WordBoundaryAfter(data, at + segment.size()))
                continue;
            position = at + segment.size();
            found = true;
            break;
        }
        if (!found)
            return false;
    }
    return true;
}
