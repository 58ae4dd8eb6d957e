#include "platform/profilefile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/inputfile.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string Fold(std::string_view s) {
    std::string folded(s);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

bool CProfileFile::Load(const std::string& path) {
    sections_.clear();
    // Only a regular file is read: a directory, a pipe or a device at the settings path must
    // neither block start-up nor be taken for settings.
    struct stat info {};
    const int fd = path.empty() ? -1 : OpenRegularFile(path, &info);
    if (fd < 0)
        return false;
    if (static_cast<uint64_t>(info.st_size) > kMaxFileSize) {
        ::close(fd);
        return false;
    }
    // Read to its end, not only to the size it had when opened: a file that grew since, or one
    // whose size says nothing (as in /proc), is read whole. One byte more than the largest
    // accepted size tells a file that grew too large. The memory is not touched beyond what the
    // read fills.
    const auto text = std::make_unique_for_overwrite<char[]>(kMaxFileSize + 1);
    const ssize_t got = ReadFully(fd, text.get(), kMaxFileSize + 1);
    ::close(fd);
    if (got < 0 || static_cast<size_t>(got) > kMaxFileSize)
        return false;
    Parse(std::string_view(text.get(), static_cast<size_t>(got)));
    return true;
}

void CProfileFile::Parse(std::string_view text) {
    sections_.clear();
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);

    Keys* current = nullptr; // key lines before the first section belong to none
    while (!text.empty()) {
        const size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        if (line.find('\0') != std::string_view::npos)
            continue;
        line = Trim(line);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            if (close != std::string_view::npos)
                current = &sections_[Fold(Trim(line.substr(1, close - 1)))];
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos || current == nullptr)
            continue;
        const std::string_view key = Trim(line.substr(0, equals));
        if (key.empty())
            continue;
        // emplace keeps an existing entry: the first occurrence of a key wins.
        current->emplace(Fold(key), std::string(Unquote(Trim(line.substr(equals + 1)))));
    }
}

const std::string* CProfileFile::Find(std::string_view section, std::string_view key) const {
    const auto s = sections_.find(Fold(Trim(section)));
    if (s == sections_.end())
        return nullptr;
    const auto k = s->second.find(Fold(Trim(key)));
    return k == s->second.end() ? nullptr : &k->second;
}

size_t CProfileFile::GetString(std::string_view section, std::string_view key,
                               const char* defaultText, char* buffer, size_t size) const {
    if (buffer == nullptr || size == 0)
        return 0;
    const std::string* value = Find(section, key);
    const std::string_view text = value != nullptr
                                      ? std::string_view(*value)
                                      : std::string_view(defaultText != nullptr ? defaultText : "");
    const size_t count = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return count;
}
