#pragma once

#include <string>

#include "platform/messagehook.h"

// Collects what the file code reports while it lives, so that a command can print it as one
// line that names the file. Every report is answered with OK.
class MessageCollector {
public:
    MessageCollector();
    ~MessageCollector();
    MessageCollector(const MessageCollector&) = delete;
    MessageCollector& operator=(const MessageCollector&) = delete;

    // The reports since the last call, joined by spaces, or otherwise when there were none.
    std::string Take(const char* otherwise);

private:
    MessageHook previous_;
    std::string text_;
};
