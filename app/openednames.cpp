#include "app/openednames.h"

#include <QByteArray>
#include <QMimeData>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <memory>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

std::string AbsoluteFileName(std::string_view name, std::string_view currentDir) {
    if (name.empty())
        return std::string();
    std::string joined;
    if (name.front() != '/') {
        joined.assign(currentDir);
        joined += '/';
    }
    joined.append(name);

    std::vector<std::string_view> parts;
    const std::string_view text(joined);
    size_t at = 0;
    while (at <= text.size()) {
        size_t stop = text.find('/', at);
        if (stop == std::string_view::npos)
            stop = text.size();
        const std::string_view part = text.substr(at, stop - at);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = stop + 1;
    }
    std::string cleaned;
    for (const std::string_view part : parts) {
        cleaned += '/';
        cleaned.append(part);
    }
    return cleaned.empty() ? std::string("/") : cleaned;
}

std::string CurrentDirectoryName() {
    // getcwd answers ERANGE for a buffer too small; paths have no fixed limit.
    for (size_t size = 4096; size <= (size_t{1} << 20); size *= 2) {
        const auto buffer = std::make_unique<char[]>(size);
        if (::getcwd(buffer.get(), size) != nullptr)
            return std::string(buffer.get());
        if (errno != ERANGE)
            break;
    }
    return std::string("/");
}

std::vector<std::string> CommandLineNames(int argc, const char* const* argv) {
    std::vector<std::string> names;
    const std::string current = CurrentDirectoryName();
    for (int i = 1; i < argc; ++i) {
        if (i == 1 && std::strcmp(argv[i], "--") == 0)
            continue;
        if (argv[i][0] == '\0')
            continue;
        names.push_back(AbsoluteFileName(argv[i], current));
    }
    return names;
}

TOpenedNames SortOpenedNames(const std::vector<std::string>& names) {
    TOpenedNames sorted;
    std::set<std::string> seen;
    for (const std::string& given : names) {
        const std::string name = AbsoluteFileName(given, "/");
        if (name.empty() || !seen.insert(name).second)
            continue;
        struct stat info {};
        const bool exists = ::stat(name.c_str(), &info) == 0;
        if (exists && S_ISDIR(info.st_mode))
            sorted.directories.push_back(name);
        else if (exists && S_ISREG(info.st_mode))
            sorted.files.push_back(name);
        else
            sorted.missing.push_back(name);
    }
    return sorted;
}

std::vector<std::string> DroppedFileNames(const QMimeData& data) {
    std::vector<std::string> names;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile())
            continue;
        // QUrl keeps a percent-encoded byte that is no UTF-8 as it came; decoding the encoded
        // path gives every byte back, where toLocalFile() would replace it.
        const QByteArray bytes =
            QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (!bytes.isEmpty())
            names.emplace_back(bytes.constData(), static_cast<size_t>(bytes.size()));
    }
    return names;
}
