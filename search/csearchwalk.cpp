#include "search/csearchwalk.h"

#include <QCoreApplication>
#include <QThread>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "search/filenamecodec.h"
#include "search/tlmdsearchfilegrep.h"

namespace {

QDateTime ToDateTime(const statx_timestamp& time) {
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(time.tv_sec) * 1000 +
                                          time.tv_nsec / 1000000);
}

bool IsDotName(const std::string& name) {
    return name == "." || name == "..";
}

// Reads a whole regular file for the content search, following a symbolic link to it. Returns
// nullopt when it cannot be read; a file that is not a regular one (a FIFO would block, a
// device never ends) reads as empty.
std::optional<std::string> ReadRegularFile(int directoryFd, const std::string& name) {
    const int fd =
        ::openat(directoryFd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    std::string data;
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return data;
    }
    data.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        data.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return data;
}

} // namespace

CSearchWalk::CSearchWalk(TLMDSearchFileGrep& owner, const bool& destroyed)
    : owner_(owner), destroyed_(destroyed) {
    for (const QString& mask : SplitFileMasks(owner.fileMasks_))
        masks_.emplace_back(mask);
    const QCoreApplication* application = QCoreApplication::instance();
    onUiThread_ = application != nullptr && QThread::currentThread() == application->thread();
    results_ = owner.resultValues_;
    recurse_ = owner.recurseSubDirs_;
    minSize_ = owner.minSize_;
    maxSize_ = owner.maxSize_;
    attributes_ = owner.attributes_;
    checkDates_ = owner.checkDates_;
    createdAfter_ = owner.createdAfter_;
    createdBefore_ = owner.createdBefore_;
    accessedAfter_ = owner.accessedAfter_;
    accessedBefore_ = owner.accessedBefore_;
    modifiedAfter_ = owner.modifiedAfter_;
    modifiedBefore_ = owner.modifiedBefore_;
    sizeFilter_ = minSize_ > 0 || maxSize_ > 0;
    attributeFilter_ = !attributes_.testFlag(fmAnyfile);
    dateFilter_ = checkDates_ != TLMDCheckDates();
    needStatus_ =
        sizeFilter_ || attributeFilter_ || dateFilter_ ||
        (results_ & (srsAttr | srsSize | srsCreateDate | srsLastAccessDate | srsLastModifiedDate));
    if (!owner.searchString_.isEmpty()) {
        content_.emplace(owner.searchString_, owner.anySingleCharacter_,
                         owner.anySequenceCharacter_, owner.searchOptions_.testFlag(ssoMatchCase),
                         owner.searchOptions_.testFlag(ssoWholeWords));
    }
}

void CSearchWalk::WalkStart(const QString& directory) {
    Walk(EncodeFileName(directory), true, 0);
}

void CSearchWalk::Walk(std::string path, bool isStart, dev_t parentDevice) {
    if (path.empty() || path.back() != '/')
        path.push_back('/');

    CDirectory directory;
    // Symbolic links to directories are followed like the directories themselves; the set of
    // directories entered keeps a link back up the tree from walking in circles.
    if (directory.Open(path, true)) {
        if (!isStart && directory.Device() != parentDevice &&
            pseudo_.IsPseudo(directory.Fd(), directory.Device()))
            return;
        if (!entered_.insert({directory.Device(), directory.Inode()}).second)
            return;
    }

    if (onUiThread_) {
        QCoreApplication::processEvents();
        if (destroyed_)
            return;
    }
    const QString directoryText = DecodeFileName(path);
    if (owner_.OnDirChange) {
        const auto handler = owner_.OnDirChange;
        handler(&owner_, directoryText);
        if (destroyed_)
            return;
    }

    std::vector<CDirectory::Entry> entries;
    directory.ReadEntries(entries);

    for (const CFileMask& mask : masks_) {
        for (const CDirectory::Entry& entry : entries) {
            if (!mask.Matches(entry.name))
                continue;
            if (Stop())
                break;
            ReportEntry(directory, directoryText, entry);
            if (destroyed_)
                return;
        }
    }

    if (Stop() || !recurse_)
        return;
    // Settle the entries whose type readdir left open, and where links lead, while the
    // directory is still open;
    // it is closed before descending so that deep trees do not pile up descriptors.
    std::vector<const CDirectory::Entry*> subdirectories;
    for (const CDirectory::Entry& entry : entries) {
        if (IsDotName(entry.name))
            continue;
        if (entry.type == DT_DIR || ((entry.type == DT_UNKNOWN || entry.type == DT_LNK) &&
                                     directory.IsDirectoryEntry(entry.name)))
            subdirectories.push_back(&entry);
    }
    const dev_t device = directory.IsOpen() ? directory.Device() : parentDevice;
    directory.Close();
    for (const CDirectory::Entry* entry : subdirectories) {
        Walk(path + entry->name, false, device);
        if (Stop())
            break;
    }
}

void CSearchWalk::ReportEntry(const CDirectory& directory, const QString& directoryText,
                              const CDirectory::Entry& entry) {
    const QString name = DecodeFileName(entry.name);
    if (owner_.OnFileChange) {
        const auto handler = owner_.OnFileChange;
        handler(&owner_, name);
        if (destroyed_)
            return;
    }
    if (IsDotName(entry.name))
        return;

    Status status;
    if (needStatus_) {
        status.valid =
            ::statx(directory.Fd(), entry.name.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                    STATX_BASIC_STATS | STATX_BTIME, &status.info) == 0;
        // An entry that vanished or cannot be examined cannot pass a filter.
        if (!status.valid && (sizeFilter_ || attributeFilter_ || dateFilter_))
            return;
    }
    const bool isDirectory = status.valid ? S_ISDIR(status.info.stx_mode) : entry.type == DT_DIR;
    const TLMDFileAttributes attributes = Attributes(entry, status);
    const qint64 size =
        (status.valid && !isDirectory) ? static_cast<qint64>(status.info.stx_size) : 0;
    if (sizeFilter_ && !PassesSize(size))
        return;
    if (attributeFilter_ && !(attributes & attributes_))
        return;
    if (dateFilter_ && !PassesDates(status.info))
        return;
    if (content_) {
        if (isDirectory || entry.type == DT_DIR)
            return;
        const std::optional<std::string> data = ReadRegularFile(directory.Fd(), entry.name);
        if (!data) {
            if (owner_.OnErrorOpenFile) {
                const auto handler = owner_.OnErrorOpenFile;
                handler(&owner_, directoryText + name);
            }
            return;
        }
        if (!content_->Matches(*data))
            return;
    }

    TLMDSPFileRecord record;
    if (results_ & srsDir)
        record.dir = directoryText;
    if (results_ & srsFilename)
        record.fileName = name;
    if (status.valid) {
        if (results_ & srsAttr) {
            record.attributes = attributes;
            record.attrLetters = AttributeLetters(attributes, isDirectory);
        }
        if (results_ & srsSize)
            record.size = size;
        if (results_ & srsCreateDate)
            record.createTime = CreationTime(status.info);
        if (results_ & srsLastAccessDate)
            record.lastAccessTime = ToDateTime(status.info.stx_atime);
        if (results_ & srsLastModifiedDate)
            record.lastModifiedTime = ToDateTime(status.info.stx_mtime);
    }
    if (owner_.OnFound) {
        const auto handler = owner_.OnFound;
        handler(&owner_, record);
        if (destroyed_)
            return;
    }
    if (owner_.internalFoundList_)
        owner_.foundList_.append(directoryText + name);
}

TLMDFileAttributes CSearchWalk::Attributes(const CDirectory::Entry& entry, const Status& status) {
    TLMDFileAttributes attributes;
    if (entry.name.front() == '.')
        attributes |= fmHidden;
    if (status.valid) {
        const auto mode = status.info.stx_mode;
        if (!(mode & S_IWUSR))
            attributes |= fmReadOnly;
        if (!S_ISREG(mode) && !S_ISDIR(mode) && !S_ISLNK(mode))
            attributes |= fmSystem;
    }
    return attributes;
}

QString CSearchWalk::AttributeLetters(TLMDFileAttributes attributes, bool isDirectory) {
    QString letters;
    if (attributes.testFlag(fmReadOnly))
        letters += u'r';
    if (attributes.testFlag(fmArchive))
        letters += u'a';
    if (attributes.testFlag(fmSystem))
        letters += u's';
    // No entry of a Linux file system is a volume label, so "v" never appears.
    if (isDirectory)
        letters += u'd';
    if (attributes.testFlag(fmHidden))
        letters += u'h';
    return letters;
}

QDateTime CSearchWalk::CreationTime(const struct statx& info) {
    return ToDateTime((info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime);
}

bool CSearchWalk::PassesSize(qint64 size) const {
    if (minSize_ > 0 && size < minSize_)
        return false;
    return maxSize_ <= 0 || size <= maxSize_;
}

bool CSearchWalk::PassesDates(const struct statx& info) const {
    const TLMDCheckDates checks = checkDates_;
    auto after = [](const QDateTime& time, const QDateTime& bound) {
        return !bound.isValid() || time > bound;
    };
    auto before = [](const QDateTime& time, const QDateTime& bound) {
        return !bound.isValid() || time < bound;
    };
    const QDateTime created = CreationTime(info);
    const QDateTime accessed = ToDateTime(info.stx_atime);
    const QDateTime modified = ToDateTime(info.stx_mtime);
    return (!checks.testFlag(scdCreateAfter) || after(created, createdAfter_)) &&
           (!checks.testFlag(scdCreateBefore) || before(created, createdBefore_)) &&
           (!checks.testFlag(scdAccessedAfter) || after(accessed, accessedAfter_)) &&
           (!checks.testFlag(scdAccessedBefore) || before(accessed, accessedBefore_)) &&
           (!checks.testFlag(scdModifiedAfter) || after(modified, modifiedAfter_)) &&
           (!checks.testFlag(scdModifiedBefore) || before(modified, modifiedBefore_));
}

bool CSearchWalk::Stop() const {
    return destroyed_ || owner_.StopRequested();
}

size_t CSearchWalk::DirectoryIdHash::operator()(const DirectoryId& id) const {
    return std::hash<unsigned long long>()(static_cast<unsigned long long>(id.inode) *
                                               0x9E3779B97F4A7C15ULL ^
                                           static_cast<unsigned long long>(id.device));
}
