#include "search/filenamecodec.h"

namespace {

constexpr char16_t escapeBase = 0xDC00;
constexpr char16_t firstEscape = 0xDC80;
constexpr char16_t lastEscape = 0xDCFF;

bool IsContinuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return byte >= low && byte <= high;
}

// The length of the valid UTF-8 sequence at the start of bytes and its code point, or 0 when
// the first byte begins none. Overlong forms, encoded surrogates and code points beyond
// U+10FFFF are not valid.
size_t ValidSequence(std::string_view bytes, char32_t& codePoint) {
    const auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < length || !IsContinuation(at(1), low, high))
        return 0;
    codePoint = (codePoint << 6) | (at(1) & 0x3F);
    for (size_t i = 2; i < length; ++i) {
        if (!IsContinuation(at(i)))
            return 0;
        codePoint = (codePoint << 6) | (at(i) & 0x3F);
    }
    return length;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

bool IsEscape(char16_t unit) {
    return unit >= firstEscape && unit <= lastEscape;
}

} // namespace

QString DecodeFileName(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            text.append(QChar(byte));
            ++i;
            continue;
        }
        char32_t codePoint = 0;
        const size_t length = ValidSequence(bytes.substr(i), codePoint);
        if (length == 0) {
            text.append(QChar(static_cast<char16_t>(escapeBase + byte)));
            ++i;
            continue;
        }
        if (QChar::requiresSurrogates(codePoint)) {
            text.append(QChar(QChar::highSurrogate(codePoint)));
            text.append(QChar(QChar::lowSurrogate(codePoint)));
        } else {
            text.append(QChar(static_cast<char16_t>(codePoint)));
        }
        i += length;
    }
    return text;
}

std::string EncodeFileName(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < size &&
            QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            AppendUtf8(bytes, QChar::surrogateToUcs4(unit, text.at(i + 1).unicode()));
            ++i;
        } else if (IsEscape(unit)) {
            bytes.push_back(static_cast<char>(unit - escapeBase));
        } else if (QChar::isSurrogate(unit)) {
            AppendUtf8(bytes, QChar::ReplacementCharacter);
        } else {
            AppendUtf8(bytes, unit);
        }
    }
    return bytes;
}

QString DisplayedFileName(const QString& text) {
    QString shown = text;
    const qsizetype size = shown.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = shown.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < size &&
            QChar::isLowSurrogate(shown.at(i + 1).unicode()))
            ++i;
        else if (QChar::isSurrogate(unit))
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown;
}
