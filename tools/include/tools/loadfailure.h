#pragma once

#include <string>

#include "operations/fileoperations.h"

class MessageCollector;

// The one line a command prints on standard error for a file that LoadIldaFile did not load:
// "trellion-cli COMMAND: FILE: " followed by the reader's reports (or "cannot read the file")
// for an unreadable file, "The Following File is Corrupt (WHAT)" for a corrupt one, and the
// out-of-memory line (see tools/outofmemory.h) when memory ran out. Nothing for a loaded file.
void ReportLoadFailure(const char* command, const std::string& file, const FileResult& result,
                       MessageCollector& messages);
