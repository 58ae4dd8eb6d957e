#pragma once

#include <QElapsedTimer>
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>

class QLineEdit;

// A list of the files of one directory whose names match a mask (letters without regard to
// case; several masks separated by ';'), sorted by name. Choosing an item writes its name into
// the linked edit box. Reading the directory again leaves the edit box alone.
//
// Names and the directory are text made by DecodeFileName, so a name that is not valid UTF-8
// keeps its bytes; an item shows it with a replacement character for each such byte
// (DisplayedFileName), and Item and Items give the name itself.
class TFileListBox : public QListWidget {
    Q_OBJECT

public:
    explicit TFileListBox(QWidget* parent);

    [[nodiscard]] QString Mask() const { return mask; }
    // Sets the mask and reads the directory again.
    void SetMask(const QString& value);

    [[nodiscard]] QString Directory() const { return directory; }
    // Shows the matching files of dir (nothing when it cannot be read).
    void SetDirectory(const QString& dir);

    void SetFileEdit(QLineEdit* edit) { fileEdit = edit; }
    [[nodiscard]] QLineEdit* FileEdit() const { return fileEdit; }

    // Reads the directory again.
    void Update();

    [[nodiscard]] int Count() const { return count(); }
    [[nodiscard]] QString Item(int row) const;
    [[nodiscard]] QStringList Items() const;
    // Adds a name in its sorted place (it is not checked against the mask or the directory).
    void AddItem(const QString& name);

    // Between the two calls names arrive one by one inside a long loop, and the list shows
    // them at most once every `interval`: painting the whole list for every name would cost
    // more than converting a small file, and nobody reads names at that rate. A name added
    // within the interval of the last one shown is painted when a pass of the event loop
    // after the interval, or EndAdding, lets the list paint again. Items and the layout are
    // never delayed.
    void BeginAdding(std::chrono::milliseconds interval);
    void EndAdding();

    // The order of the list: names compared without regard to case; names that differ only
    // in case in code-point order.
    [[nodiscard]] static bool NameLess(const QString& a, const QString& b);

private:
    void Chosen(QListWidgetItem* item);
    void InsertName(int row, const QString& name);

    QString mask = QStringLiteral("*.*");
    QString directory;
    QLineEdit* fileEdit = nullptr;

    // BeginAdding's state: whether it is in force, the least time between two showings, the
    // time since the last one, and the timer that shows what is held back.
    bool adding = false;
    std::chrono::milliseconds addingInterval{0};
    QElapsedTimer sinceShown;
    QTimer showHeld;
};
