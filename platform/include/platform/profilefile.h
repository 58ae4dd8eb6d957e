#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

// A settings file in the private-profile ("ini") form, parsed once for many lookups.
//
// The form: a line "[name]" opens a section; a line "key=value" holds a value of the section
// opened last. Section and key names are compared without regard to ASCII case; blanks around
// names and values are ignored, and a value enclosed in a matching pair of single or double
// quotes loses the quotes. The first occurrence of a key in a section wins, and a section
// named twice is one section. Lines starting with ';' are comments. Any other line (no '=',
// an empty key, a '[' without ']', a line holding a NUL byte, key lines before the first
// section) is ignored. A UTF-8 byte order mark at the start is skipped.
class CProfileFile {
public:
    // Files larger than this are not settings files; they load as missing.
    static constexpr size_t kMaxFileSize = 16u << 20;

    // Reads and parses the file. False, leaving the profile empty, when the path does not name
    // a readable regular file of at most kMaxFileSize bytes. Never writes the file.
    bool Load(const std::string& path);

    // Parses profile text held in memory, replacing what was loaded before.
    void Parse(std::string_view text);

    // The value of `key` in `section`, or nullptr when the section or the key is absent.
    [[nodiscard]] const std::string* Find(std::string_view section, std::string_view key) const;

    // The platform's lookup: copies the value of `key` in `section`, or `defaultText` (nullptr
    // reads as "") when the section or the key is absent, into `buffer`, cut to size - 1
    // characters and terminated. Returns the number of characters copied, terminator not
    // counted. With size 0 nothing is written.
    size_t GetString(std::string_view section, std::string_view key, const char* defaultText,
                     char* buffer, size_t size) const;

private:
    using Keys = std::unordered_map<std::string, std::string>;

    // Names folded to lower case.
    std::unordered_map<std::string, Keys> sections_;
};
