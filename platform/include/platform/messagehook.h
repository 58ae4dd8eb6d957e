#pragma once

#include <functional>
#include <string>

// The file code reports its failures through ShowThemedMessage. The window binds the hook to
// its themed message box; without a window (tests, the command-line tool) the text goes to
// standard error and the call answers as if OK had been pressed.

// Message types, in the toolkit's order.
enum TMsgDlgType : int {
    mtWarning = 0,
    mtError = 1,
    mtInformation = 2,
    mtConfirmation = 3,
    mtCustom = 4,
};

// Button set members, one bit each, in the toolkit's order.
enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10,
};

// Modal results of the message box.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
};

using MessageHook = std::function<int(const std::string& text, int type, unsigned buttons)>;

// Shows text with the given type and button set; returns the modal result of the pressed button.
int ShowThemedMessage(const std::string& text, int type, unsigned buttons);

// Replaces the hook and returns the previous one. An empty hook restores the default.
MessageHook SetMessageHook(MessageHook hook);
