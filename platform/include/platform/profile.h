#pragma once

#include <cstddef>
#include <string>

// The platform's private-profile lookup of one key in one section of a named file.
//
// Copies the value, or `defaultText` (nullptr reads as "") when the file cannot be read or has
// no such section or key, into `buffer`, cut to size - 1 characters and terminated; returns the
// number of characters copied. A key present with an empty value gives "". The file form and
// its matching rules are those of CProfileFile. Each call reads the file again; callers that
// look up many keys load a CProfileFile once instead.
size_t GetPrivateProfileString(const char* section, const char* key, const char* defaultText,
                               char* buffer, size_t size, const std::string& fileName);
