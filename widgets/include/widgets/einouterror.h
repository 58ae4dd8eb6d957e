#pragma once

#include <stdexcept>
#include <string>

// The toolkit's input/output error: raised by a directory list asked to show a directory that
// does not exist. It is a std::runtime_error, the exception class the workflows and the event
// loop catch.
class EInOutError : public std::runtime_error {
public:
    explicit EInOutError(const std::string& message) : std::runtime_error(message) {}
};
