#include "tests/app/scripteduserdialogs.h"

#include <gtest/gtest.h>

#include "platform/messagehook.h"

void ScriptedUserDialogs::Notify() const {
    if (onAsked)
        onAsked(asked.back());
}

void ScriptedUserDialogs::Information(const QString& text) {
    asked.emplace_back(Kind::Information, text);
    Notify();
}

void ScriptedUserDialogs::ShowError(const QString& message) {
    asked.emplace_back(Kind::Error, message);
    Notify();
}

TAnswer ScriptedUserDialogs::Confirm(const QString& text, TConfirmButtons buttons,
                                     TAnswer defaultButton) {
    Asked question(Kind::Confirm, text);
    question.buttons = buttons;
    question.defaultButton = defaultButton;
    asked.push_back(question);
    Notify();
    if (confirmAnswers.empty()) {
        ADD_FAILURE() << "unscripted confirmation: " << text.toStdString();
        return TAnswer::Cancel;
    }
    const TAnswer answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
}

int ScriptedUserDialogs::ThemedMessage(const std::string& text, int type, unsigned buttons) {
    Asked message(Kind::Themed, QString::fromStdString(text));
    message.themedType = type;
    message.themedButtons = buttons;
    asked.push_back(message);
    Notify();
    if (themedAnswers.empty())
        return mrOk;
    const int answer = themedAnswers.front();
    themedAnswers.pop_front();
    return answer;
}

std::optional<QString> ScriptedUserDialogs::SaveFileName(const TSaveFileRequest& request) {
    Asked dialog(Kind::SaveFile, request.title);
    dialog.request = request;
    asked.push_back(dialog);
    Notify();
    if (saveAnswers.empty()) {
        ADD_FAILURE() << "unscripted save dialog for " << request.fileName.toStdString();
        return std::nullopt;
    }
    const bool confirmed = saveAnswers.front().has_value();
    const QString path = saveAnswers.front().value_or(QString());
    saveAnswers.pop_front();
    if (!confirmed)
        return std::nullopt;
    return path;
}

bool ScriptedUserDialogs::OpenUrl(const QString& address) {
    asked.emplace_back(Kind::OpenUrl, address);
    Notify();
    if (openUrlAnswers.empty())
        return true;
    const bool opened = openUrlAnswers.front();
    openUrlAnswers.pop_front();
    return opened;
}

std::vector<QString> ScriptedUserDialogs::Texts(Kind kind) const {
    std::vector<QString> texts;
    for (const Asked& question : asked) {
        if (question.kind == kind)
            texts.push_back(question.text);
    }
    return texts;
}

int ScriptedUserDialogs::Count(Kind kind) const {
    return static_cast<int>(Texts(kind).size());
}
