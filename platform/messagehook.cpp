#include "platform/messagehook.h"

#include <cstdio>
#include <utility>

namespace {

MessageHook& CurrentHook() {
    static MessageHook hook;
    return hook;
}

} // namespace

int ShowThemedMessage(const std::string& text, int type, unsigned buttons) {
    const MessageHook& hook = CurrentHook();
    if (hook)
        return hook(text, type, buttons);
    std::fprintf(stderr, "%s\n", text.c_str());
    return mrOk;
}

MessageHook SetMessageHook(MessageHook hook) {
    return std::exchange(CurrentHook(), std::move(hook));
}
