#pragma once

#include <QString>
#include <QStringList>

// Queries of the file system for the window's lists and workflows, made with the very bytes of
// each name: paths and names are text made by DecodeFileName (search/filenamecodec.h), so a
// name that is not valid UTF-8 is listed, entered and opened as the file system has it. Qt's
// own file classes would turn such a name into another one.

enum class TEntryKind { Files, Directories };

// The names of the entries of directory that are regular files, or directories, symbolic links
// followed, in the file system's order. Names beginning with "." are left out, as the platform's
// lists leave hidden entries out. Empty when the directory cannot be read.
[[nodiscard]] QStringList DirectoryEntries(const QString& directory, TEntryKind kind);

// Whether path names an existing entry (a link to nothing counts), and whether it names a
// directory, symbolic links followed.
[[nodiscard]] bool PathExists(const QString& path);
[[nodiscard]] bool IsDirectoryPath(const QString& path);

// A path as Qt's own dialogs give it back: Qt shows a name that is not valid UTF-8 with U+FFFD
// in place of each odd byte, and returns the path so. Gives the path of the entries it stands
// for, as text made by DecodeFileName: each name that does not exist as given is matched
// against the entries of its directory shown the same way, and taken when exactly one matches.
// From the first name that cannot be matched so (none, or several that look alike), the rest
// is kept as given, and what is made of it then names nothing that exists.
[[nodiscard]] QString PathFromDialog(const QString& shown);
