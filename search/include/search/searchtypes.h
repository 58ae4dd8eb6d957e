#pragma once

#include <QFlags>

// The option sets of the file search component. Each enumerator is one bit so that the sets are
// QFlags.

// Which fields of the found-file record a search fills.
enum TLMDSearchResultValue : unsigned {
    srsDir = 1u << 0,
    srsFilename = 1u << 1,
    srsAttr = 1u << 2,
    srsSize = 1u << 3,
    srsCreateDate = 1u << 4,
    srsLastAccessDate = 1u << 5,
    srsLastModifiedDate = 1u << 6,
};
Q_DECLARE_FLAGS(TLMDSearchResultValues, TLMDSearchResultValue)
Q_DECLARE_OPERATORS_FOR_FLAGS(TLMDSearchResultValues)

// File attributes, both the search's attribute filter and the attributes of a found entry.
// fmAnyfile only has a meaning in the filter, where it switches the filter off.
//
// On Linux: read-only means the owner has no write permission; hidden means the name begins
// with "."; system means the entry is neither a regular file, a directory nor a symbolic link
// (a device node, a socket, a FIFO). File systems here keep no archive flag, so fmArchive is
// never set on an entry.
enum TLMDFileAttribute : unsigned {
    fmReadOnly = 1u << 0,
    fmArchive = 1u << 1,
    fmAnyfile = 1u << 2,
    fmSystem = 1u << 3,
    fmHidden = 1u << 4,
};
Q_DECLARE_FLAGS(TLMDFileAttributes, TLMDFileAttribute)
Q_DECLARE_OPERATORS_FOR_FLAGS(TLMDFileAttributes)

// Which date bounds of the search apply.
enum TLMDCheckDate : unsigned {
    scdCreateAfter = 1u << 0,
    scdCreateBefore = 1u << 1,
    scdAccessedAfter = 1u << 2,
    scdAccessedBefore = 1u << 3,
    scdModifiedAfter = 1u << 4,
    scdModifiedBefore = 1u << 5,
};
Q_DECLARE_FLAGS(TLMDCheckDates, TLMDCheckDate)
Q_DECLARE_OPERATORS_FOR_FLAGS(TLMDCheckDates)

// Options of the content search.
enum TLMDSearchOption : unsigned {
    ssoMatchCase = 1u << 0,
    ssoWholeWords = 1u << 1,
    // Prefer the shortest of several matches. A file either contains the template or not, so
    // this changes nothing about which files are accepted.
    ssoNearestLength = 1u << 2,
};
Q_DECLARE_FLAGS(TLMDSearchOptions, TLMDSearchOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TLMDSearchOptions)

// The priority of the search thread. A threaded run is scheduled on the event loop of the
// user-interface thread, so the value is kept for the interface but has no effect.
enum TLMDThreadPriority {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical,
};
