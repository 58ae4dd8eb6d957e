#pragma once

#include <cstdint>

// The C library's "%x" and "%i" conversions, as sscanf applies them to the start of a text.
//
// Leading white space is skipped, an optional sign is taken, then the longest run of digits
// that forms a number; whatever follows is ignored. "%x" allows a "0x" or "0X" prefix; "%i"
// reads hexadecimal after "0x"/"0X", octal after a leading 0 and decimal otherwise. A prefix
// "0x" not followed by a digit reads as the number 0. A minus sign negates the value modulo
// 2^32. Values too large for 32 bits keep their low 32 bits, so every input has a defined
// result (the C library leaves that case undefined).
//
// Both return false, and leave `value` as it was, when the text does not begin with a number.
// They are constexpr so that defaults written as texts can be converted at compile time.

namespace scan_detail {

constexpr bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr int DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// base 0 picks the base from the prefix as "%i" does.
constexpr bool ScanUnsigned(const char* text, int base, uint32_t& value) {
    if (text == nullptr)
        return false;
    const char* p = text;
    while (IsSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    bool sawDigit = false;
    if (*p == '0' && (base == 0 || base == 16)) {
        sawDigit = true; // the 0 alone is already a number
        ++p;
        if ((*p == 'x' || *p == 'X')) {
            base = 16;
            ++p;
        } else if (base == 0) {
            base = 8;
        }
    } else if (base == 0) {
        base = 10;
    }
    uint32_t result = 0;
    for (; DigitValue(*p) < base; ++p) {
        result = result * static_cast<uint32_t>(base) + static_cast<uint32_t>(DigitValue(*p));
        sawDigit = true;
    }
    if (!sawDigit)
        return false;
    value = negative ? 0u - result : result;
    return true;
}

} // namespace scan_detail

// sscanf(text, "%x", &value) == 1
constexpr bool ScanHex(const char* text, uint32_t& value) {
    return scan_detail::ScanUnsigned(text, 16, value);
}

// sscanf(text, "%i", &value) == 1
constexpr bool ScanInt(const char* text, int32_t& value) {
    uint32_t bits = 0;
    if (!scan_detail::ScanUnsigned(text, 0, bits))
        return false;
    value = static_cast<int32_t>(bits); // two's complement, defined since C++20
    return true;
}
