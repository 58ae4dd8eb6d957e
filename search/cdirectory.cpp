#include "search/cdirectory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CDirectory::~CDirectory() {
    Close();
}

bool CDirectory::Open(const std::string& path, bool followLink) {
    Close();
    int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;
    if (!followLink)
        flags |= O_NOFOLLOW;
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    dir_ = ::fdopendir(fd);
    if (dir_ == nullptr) {
        ::close(fd);
        return false;
    }
    device_ = st.st_dev;
    inode_ = st.st_ino;
    return true;
}

void CDirectory::ReadEntries(std::vector<Entry>& entries) {
    if (dir_ == nullptr)
        return;
    while (const dirent* entry = ::readdir(dir_))
        entries.push_back({entry->d_name, entry->d_type});
}

void CDirectory::Close() {
    if (dir_ != nullptr)
        ::closedir(dir_);
    dir_ = nullptr;
}

int CDirectory::Fd() const {
    return dir_ != nullptr ? ::dirfd(dir_) : -1;
}

bool CDirectory::IsDirectoryEntry(const std::string& name) const {
    struct stat st {};
    if (dir_ == nullptr || ::fstatat(::dirfd(dir_), name.c_str(), &st, 0) != 0)
        return false;
    return S_ISDIR(st.st_mode);
}
