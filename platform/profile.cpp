#include "platform/profile.h"

#include "platform/profilefile.h"

size_t GetPrivateProfileString(const char* section, const char* key, const char* defaultText,
                               char* buffer, size_t size, const std::string& fileName) {
    CProfileFile file;
    file.Load(fileName); // an unreadable file answers every lookup with the default
    return file.GetString(section != nullptr ? section : "", key != nullptr ? key : "", defaultText,
                          buffer, size);
}
