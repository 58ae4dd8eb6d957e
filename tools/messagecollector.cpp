#include "tools/messagecollector.h"

MessageCollector::MessageCollector() {
    previous_ = SetMessageHook([this](const std::string& text, int, unsigned) {
        if (!text_.empty())
            text_ += " ";
        text_ += text;
        return int{mrOk};
    });
}

MessageCollector::~MessageCollector() {
    SetMessageHook(previous_);
}

std::string MessageCollector::Take(const char* otherwise) {
    std::string text = text_.empty() ? otherwise : text_;
    text_.clear();
    return text;
}
