#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

struct __dirstream;

// One directory opened for enumeration with the POSIX calls: the walk reads each directory once
// with readdir and its d_type, and asks for an entry's status only when it needs it.
class CDirectory {
public:
    struct Entry {
        std::string name;
        // The d_type of readdir: DT_DIR, DT_REG, DT_LNK..., or DT_UNKNOWN when the file system
        // does not say.
        unsigned char type = 0;
    };

    CDirectory() = default;
    CDirectory(const CDirectory&) = delete;
    CDirectory& operator=(const CDirectory&) = delete;
    ~CDirectory();

    // Opens path as a directory. With followLink false, a path whose last component is a
    // symbolic link is refused. Returns false when the directory cannot be opened.
    [[nodiscard]] bool Open(const std::string& path, bool followLink);
    // Appends every entry, "." and ".." included, in the order the file system lists them.
    // A read error ends the list early.
    void ReadEntries(std::vector<Entry>& entries);
    void Close();

    [[nodiscard]] bool IsOpen() const { return dir_ != nullptr; }
    // The descriptor of the open directory, for the *at calls on its entries.
    [[nodiscard]] int Fd() const;
    [[nodiscard]] dev_t Device() const { return device_; }
    [[nodiscard]] ino_t Inode() const { return inode_; }

    // Whether the named entry is a directory or a symbolic link to one; for entries whose type
    // readdir left unknown or gave as a link.
    [[nodiscard]] bool IsDirectoryEntry(const std::string& name) const;

private:
    __dirstream* dir_ = nullptr;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};
