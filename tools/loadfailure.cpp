#include "tools/loadfailure.h"

#include <cstdio>

#include "tools/messagecollector.h"
#include "tools/outofmemory.h"

void ReportLoadFailure(const char* command, const std::string& file, const FileResult& result,
                       MessageCollector& messages) {
    switch (result.outcome) {
    case FileOutcome::Unreadable:
        std::fprintf(stderr, "trellion-cli %s: %s: %s\n", command, file.c_str(),
                     messages.Take("cannot read the file").c_str());
        break;
    case FileOutcome::NotEnoughMemory:
        ReportOutOfMemory(command, "load", file);
        break;
    case FileOutcome::Corrupt:
        std::fprintf(stderr, "trellion-cli %s: %s: The Following File is Corrupt (%s)\n", command,
                     file.c_str(), result.detail.c_str());
        break;
    case FileOutcome::Loaded:
    case FileOutcome::Written:
    case FileOutcome::WriteFailed:
        break;
    }
}
