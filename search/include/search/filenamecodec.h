#pragma once

#include <string>
#include <string_view>

#include <QString>

// File names are bytes. The file system gives a name as any sequence of bytes, and a name that
// is not valid UTF-8 (Latin-1 "caf\xe9.ild" from an older disk) must be opened and written under
// exactly those bytes. QFile::decodeName turns every invalid byte into U+FFFD and so loses it;
// these take its place wherever a name becomes text and back.
//
// DecodeFileName keeps valid UTF-8 as its characters and carries each byte that is not part of
// a valid sequence as the unpaired low surrogate U+DC00 + byte (U+DC80 to U+DCFF), which no
// valid UTF-8 decodes to. EncodeFileName undoes it, so EncodeFileName(DecodeFileName(b)) == b
// for every byte sequence b; text not made by DecodeFileName encodes as UTF-8, any other
// unpaired surrogate as U+FFFD.
[[nodiscard]] QString DecodeFileName(std::string_view bytes);
[[nodiscard]] std::string EncodeFileName(const QString& text);

// The text of a decoded name as it is shown: each carried byte as U+FFFD.
[[nodiscard]] QString DisplayedFileName(const QString& text);
