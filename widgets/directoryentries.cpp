#include "widgets/directoryentries.h"

#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <QFile>

#include "search/cdirectory.h"
#include "search/filenamecodec.h"

QStringList DirectoryEntries(const QString& directory, TEntryKind kind) {
    CDirectory dir;
    if (!dir.Open(EncodeFileName(directory), true))
        return {};
    std::vector<CDirectory::Entry> entries;
    dir.ReadEntries(entries);
    QStringList names;
    for (const CDirectory::Entry& entry : entries) {
        if (entry.name.empty() || entry.name.front() == '.')
            continue;
        // readdir tells the type of most entries; links and file systems that do not say are
        // asked.
        mode_t type = DTTOIF(entry.type);
        if (entry.type == DT_LNK || entry.type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(dir.Fd(), entry.name.c_str(), &st, 0) != 0)
                continue;
            type = st.st_mode & S_IFMT;
        }
        if (type == (kind == TEntryKind::Files ? S_IFREG : S_IFDIR))
            names.append(DecodeFileName(entry.name));
    }
    return names;
}

bool PathExists(const QString& path) {
    struct stat st {};
    return ::lstat(EncodeFileName(path).c_str(), &st) == 0;
}

bool IsDirectoryPath(const QString& path) {
    struct stat st {};
    return ::stat(EncodeFileName(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

QString PathFromDialog(const QString& shown) {
    const QStringList names = shown.split(u'/');
    QString resolved = names.front(); // empty for an absolute path
    bool matching = true;
    for (qsizetype i = 1; i < names.size(); ++i) {
        const QString& name = names.at(i);
        QString found = name;
        if (matching && !name.isEmpty() && !PathExists(resolved + u'/' + name)) {
            // The entries of the directory so far that Qt would show as this name.
            int alike = 0;
            CDirectory dir;
            std::vector<CDirectory::Entry> entries;
            if (dir.Open(EncodeFileName(resolved.isEmpty() ? QStringLiteral("/") : resolved), true))
                dir.ReadEntries(entries);
            for (const CDirectory::Entry& entry : entries) {
                if (QFile::decodeName(QByteArray::fromStdString(entry.name)) == name) {
                    found = DecodeFileName(entry.name);
                    ++alike;
                }
            }
            if (alike != 1) {
                found = name;
                matching = false;
            }
        }
        resolved += u'/' + found;
    }
    return resolved;
}
