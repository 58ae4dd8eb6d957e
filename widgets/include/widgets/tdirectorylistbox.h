#pragma once

#include <QListWidget>
#include <QString>

class QLabel;
class TFileListBox;
class TDriveComboBox;

// A directory tree list: the directories from the root of the current directory's path down
// to the current directory, each indented one step further, followed by the current
// directory's subdirectories sorted by name. Activating an item (double click or Enter) makes
// it the current directory. A change of directory re-reads the linked file list, writes the
// path, shortened to fit, into the linked label, shows its volume in the linked drive selector
// and makes it the process's current directory, as the platform's directory list does. Paths
// are text made by DecodeFileName, so a directory whose name is not valid UTF-8 is entered
// under its own bytes; items show such names with replacement characters.
class TDirectoryListBox : public QListWidget {
    Q_OBJECT

public:
    explicit TDirectoryListBox(QWidget* parent);

    // The current directory: absolute, cleaned, without a trailing separator except for "/".
    [[nodiscard]] QString Directory() const { return directory; }
    // Makes dir the current directory. Throws EInOutError, changing nothing, when dir is not
    // an existing directory.
    void SetDirectory(const QString& dir);

    void SetFileList(TFileListBox* list);
    void SetDirLabel(QLabel* label);
    void SetDriveCombo(TDriveComboBox* combo) { driveCombo = combo; }

    // Reads the subdirectories again.
    void Update();

signals:
    void DirectoryChanged(const QString& dir);

private:
    void Activated(QListWidgetItem* item);
    void ShowPathInLabel();

    QString directory;
    TFileListBox* fileList = nullptr;
    QLabel* dirLabel = nullptr;
    TDriveComboBox* driveCombo = nullptr;
};
