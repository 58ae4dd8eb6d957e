#pragma once

#include <QComboBox>
#include <QString>
#include <QStringList>

class TDirectoryListBox;

// The drive selector: the mounted file systems that hold files (the root first, then the
// others by mount point; kernel and memory file systems left out). Choosing one moves the
// linked directory list to its mount point.
class TDriveComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit TDriveComboBox(QWidget* parent);

    // The mount point of the chosen volume.
    [[nodiscard]] QString Drive() const { return currentData().toString(); }
    // Chooses the volume holding path without moving the directory list.
    void ShowDriveOf(const QString& path);

    void SetDirList(TDirectoryListBox* list) { dirList = list; }

    // Mount points of the volumes worth offering, root first.
    [[nodiscard]] static QStringList MountedVolumes();

private:
    void Chosen(int index);

    TDirectoryListBox* dirList = nullptr;
};
