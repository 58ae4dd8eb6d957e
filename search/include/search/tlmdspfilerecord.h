#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include "search/searchtypes.h"

// One entry accepted by the file search, handed to OnFound. The search resets the record for
// every accepted entry and fills only the fields its ResultValues select; the others stay at
// their defaults. Names are the file system's bytes as DecodeFileName gives them, so
// EncodeFileName(dir + fileName) is the entry's path to open, whatever the name's encoding.
struct TLMDSPFileRecord {
    // srsDir: the directory the entry is in, ending in "/".
    QString dir;
    // srsFilename: the entry's bare name.
    QString fileName;
    // srsAttr: fmReadOnly, fmArchive, fmSystem and fmHidden as the entry has them, and the
    // letters "r", "a", "s", "v", "d", "h" (read-only, archive, system, volume, directory,
    // hidden) in that order for each attribute it has.
    TLMDFileAttributes attributes;
    QString attrLetters;
    // srsSize: the size in bytes; 0 for a directory.
    qint64 size = 0;
    // srsCreateDate: the birth time where the file system records one, else the modification
    // time. srsLastAccessDate, srsLastModifiedDate: as the file system keeps them.
    QDateTime createTime;
    QDateTime lastAccessTime;
    QDateTime lastModifiedTime;
};
