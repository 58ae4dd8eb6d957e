#include "search/cpseudofilesystems.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include <linux/magic.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace {

bool IsPseudoTypeName(std::string_view type) {
    static constexpr std::string_view kPseudo[] = {
        "proc",      "sysfs",       "devtmpfs", "devpts",    "cgroup",     "cgroup2", "debugfs",
        "tracefs",   "securityfs",  "pstore",   "bpf",       "configfs",   "fusectl", "mqueue",
        "hugetlbfs", "binfmt_misc", "efivarfs", "selinuxfs", "rpc_pipefs", "nsfs",    "nfsd",
    };
    for (std::string_view name : kPseudo) {
        if (type == name)
            return true;
    }
    return false;
}

bool IsPseudoMagic(unsigned long magic) {
    // devtmpfs reports the magic of tmpfs, so it is only recognised through the mount table.
    static constexpr unsigned long kPseudo[] = {
        PROC_SUPER_MAGIC,
        SYSFS_MAGIC,
        DEVPTS_SUPER_MAGIC,
        CGROUP_SUPER_MAGIC,
        CGROUP2_SUPER_MAGIC,
        DEBUGFS_MAGIC,
        TRACEFS_MAGIC,
        SECURITYFS_MAGIC,
        PSTOREFS_MAGIC,
        BPF_FS_MAGIC,
        0x62656570UL /* configfs */,
        0x65735543UL /* fusectl */,
        0x19800202UL /* mqueue */,
        HUGETLBFS_MAGIC,
        BINFMTFS_MAGIC,
        EFIVARFS_MAGIC,
        SELINUX_MAGIC,
        NSFS_MAGIC,
    };
    for (unsigned long value : kPseudo) {
        if (magic == value)
            return true;
    }
    return false;
}

} // namespace

void CPseudoFileSystems::LoadMountTable() {
    loaded_ = true;
    FILE* table = std::fopen("/proc/self/mountinfo", "re");
    if (table == nullptr)
        return;
    // A line: "36 35 98:0 /root /mount options [optional fields] - fstype source options".
    char line[4096];
    while (std::fgets(line, sizeof line, table) != nullptr) {
        unsigned major = 0;
        unsigned minor = 0;
        if (std::sscanf(line, "%*u %*u %u:%u", &major, &minor) != 2)
            continue;
        const char* separator = std::strstr(line, " - ");
        if (separator == nullptr)
            continue;
        const char* type = separator + 3;
        const size_t length = std::strcspn(type, " \n");
        const dev_t device = makedev(major, minor);
        const bool pseudo = IsPseudoTypeName(std::string_view(type, length));
        // Several mounts of one device (bind mounts) share its type.
        pseudoByDevice_[device] = pseudoByDevice_[device] || pseudo;
    }
    std::fclose(table);
}

bool CPseudoFileSystems::IsPseudo(int fd, dev_t device) {
    if (!loaded_)
        LoadMountTable();
    const auto known = pseudoByDevice_.find(device);
    if (known != pseudoByDevice_.end())
        return known->second;
    struct statfs info {};
    const bool pseudo =
        ::fstatfs(fd, &info) == 0 && IsPseudoMagic(static_cast<unsigned long>(info.f_type));
    pseudoByDevice_[device] = pseudo;
    return pseudo;
}
