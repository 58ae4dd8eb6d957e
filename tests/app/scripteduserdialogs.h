#pragma once

#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "app/userdialogs.h"

// IUserDialogs for tests: answers come from queues filled by the test, and every question is
// recorded in order. A confirmation or save dialog with no queued answer fails the running
// test and answers Cancel; themed messages answer mrOk unless an answer is queued, and an
// address opens unless a failure is queued.
class ScriptedUserDialogs : public IUserDialogs {
public:
    enum class Kind { Information, Error, Confirm, Themed, SaveFile, OpenUrl };

    struct Asked {
        Asked(Kind kind, QString text) : kind(kind), text(std::move(text)) {}

        Kind kind;
        QString text; // message, question, address, or the save dialog's title
        TConfirmButtons buttons = TConfirmButtons::YesNo;
        TAnswer defaultButton = TAnswer::Yes;
        int themedType = 0;
        unsigned themedButtons = 0;
        TSaveFileRequest request;
    };

    std::deque<TAnswer> confirmAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<int> themedAnswers;
    // Whether each request to open an address starts a program; true when none is queued.
    std::deque<bool> openUrlAnswers;
    std::vector<Asked> asked;
    // Called with every question or message as it is put, before it is answered.
    std::function<void(const Asked&)> onAsked;

    void Information(const QString& text) override;
    void ShowError(const QString& message) override;
    [[nodiscard]] TAnswer Confirm(const QString& text, TConfirmButtons buttons,
                                  TAnswer defaultButton) override;
    int ThemedMessage(const std::string& text, int type, unsigned buttons) override;
    [[nodiscard]] std::optional<QString> SaveFileName(const TSaveFileRequest& request) override;
    [[nodiscard]] bool OpenUrl(const QString& address) override;

    // The texts of the recorded questions of one kind, in order.
    [[nodiscard]] std::vector<QString> Texts(Kind kind) const;
    [[nodiscard]] int Count(Kind kind) const;

private:
    void Notify() const;
};
