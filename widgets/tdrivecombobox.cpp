#include "widgets/tdrivecombobox.h"

#include <QDir>
#include <QSet>
#include <QStorageInfo>

#include <algorithm>

#include "widgets/tdirectorylistbox.h"

namespace {

// Kernel, memory and image file systems: nothing a user keeps show files on.
bool IsPseudoFileSystem(const QByteArray& type) {
    static const QSet<QByteArray> pseudo = {
        "proc",        "sysfs",     "devtmpfs",   "devpts",   "tmpfs",    "ramfs",
        "cgroup",      "cgroup2",   "securityfs", "debugfs",  "tracefs",  "pstore",
        "bpf",         "mqueue",    "hugetlbfs",  "configfs", "fusectl",  "autofs",
        "binfmt_misc", "efivarfs",  "rpc_pipefs", "nsfs",     "squashfs", "fuse.gvfsd-fuse",
        "fuse.portal", "selinuxfs", "nfsd"};
    return pseudo.contains(type);
}

} // namespace

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent) {
    for (const QString& root : MountedVolumes())
        addItem(root, root);
    setCurrentIndex(0);
    connect(this, &QComboBox::activated, this, &TDriveComboBox::Chosen);
}

QStringList TDriveComboBox::MountedVolumes() {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString root = volume.rootPath();
        if (root != QStringLiteral("/") && IsPseudoFileSystem(volume.fileSystemType()))
            continue;
        if (!roots.contains(root))
            roots << root;
    }
    std::sort(roots.begin(), roots.end());
    if (!roots.contains(QStringLiteral("/")))
        roots.prepend(QStringLiteral("/"));
    return roots;
}

void TDriveComboBox::ShowDriveOf(const QString& path) {
    // The volume is the one whose mount point is the longest prefix of the path.
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        const bool inside =
            root == QStringLiteral("/") || path == root || path.startsWith(root + u'/');
        if (inside && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best >= 0)
        setCurrentIndex(best);
}

void TDriveComboBox::Chosen(int index) {
    if (dirList && index >= 0)
        dirList->SetDirectory(itemData(index).toString());
}
