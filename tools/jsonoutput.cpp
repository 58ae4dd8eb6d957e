#include "tools/jsonoutput.h"

#include <cstdio>

#include <QJsonDocument>
#include <QString>

namespace {

bool IsUtf8(const QByteArray& bytes, const QString& decoded) {
    // Decoding replaces every byte that is not part of a valid sequence, so only valid UTF-8
    // comes back unchanged.
    return decoded.toUtf8() == bytes;
}

} // namespace

QJsonValue JsonText(const QByteArray& bytes) {
    return QString::fromUtf8(bytes);
}

void SetJsonPath(QJsonObject& object, const QString& key, const QByteArray& name) {
    const QString decoded = QString::fromUtf8(name);
    object.insert(key, decoded);
    if (!IsUtf8(name, decoded))
        object.insert(key + QStringLiteral("_base64"), QString::fromLatin1(name.toBase64()));
}

bool WriteJson(const QJsonObject& document) {
    const QByteArray text = QJsonDocument(document).toJson(QJsonDocument::Indented);
    return std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout) ==
               static_cast<size_t>(text.size()) &&
           std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
}
