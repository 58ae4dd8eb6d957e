#pragma once

#include <unordered_map>

#include <sys/types.h>

// Tells the kernel's pseudo file systems (proc, sysfs, devtmpfs, devpts, cgroup, debugfs,
// tracefs, securityfs, pstore, bpf, configfs, fusectl, mqueue, hugetlbfs and the like) from
// file systems that hold files. The type comes from the mount table (/proc/self/mountinfo),
// which names devtmpfs apart from tmpfs; for a device the table does not list it comes from
// fstatfs.
class CPseudoFileSystems {
public:
    // Whether the directory open at fd, whose device is device, lies on a pseudo file system.
    [[nodiscard]] bool IsPseudo(int fd, dev_t device);

private:
    void LoadMountTable();

    bool loaded_ = false;
    std::unordered_map<dev_t, bool> pseudoByDevice_;
};
