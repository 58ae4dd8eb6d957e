#pragma once

#include <QString>

class QFontMetrics;

// A path shortened to width pixels in metrics' font so that its own name (the text after the
// last '/', or the last directory of a path ending in '/') always shows: the directories in
// front of it lose their middle, "/home/op/sh…/intro.ild". A name that alone is too wide loses
// its own middle and keeps its start and its extension. A path that fits is returned as it is.
// The path is text as shown (DisplayedFileName), not the bytes of a name.
[[nodiscard]] QString ElidedPath(const QString& path, const QFontMetrics& metrics, int width);
