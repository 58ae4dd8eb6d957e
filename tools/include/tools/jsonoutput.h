#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>

// The --json output of the commands: one document on standard output, written by Qt's JSON
// classes.
//
// Text that comes from bytes (file names, names stored in files) is given as a JSON string when
// the bytes are valid UTF-8. Bytes that are not become U+FFFD in that string; for a file name
// the exact bytes are added as base64 under the key followed by "_base64", so a script can
// still open the file. Names that are valid UTF-8 never get the extra key.

// The bytes as a JSON string by the rule above (without the base64 companion).
[[nodiscard]] QJsonValue JsonText(const QByteArray& bytes);

// Sets object[key] to the name and, when it is not valid UTF-8, object[key + "_base64"] to its
// bytes.
void SetJsonPath(QJsonObject& object, const QString& key, const QByteArray& name);

// Writes the document, indented, to standard output. False when it could not be written.
[[nodiscard]] bool WriteJson(const QJsonObject& document);
