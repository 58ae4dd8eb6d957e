#include "app/tfilewrite.h"

#include <QDir>
#include <QStringList>

#include <cstring>

#include "platform/messagehook.h"
#include "search/filenamecodec.h"

namespace {

// Puts the previous hook back however the write ends (memory running out is thrown through).
class THoldReports {
public:
    explicit THoldReports(MessageHook hook) : previous(SetMessageHook(std::move(hook))) {}
    ~THoldReports() { SetMessageHook(previous); }
    THoldReports(const THoldReports&) = delete;
    THoldReports& operator=(const THoldReports&) = delete;

private:
    MessageHook previous;
};

} // namespace

bool TFileWrite::Run(const std::function<bool()>& write) {
    held.clear();
    ClearLastOutputFailure();
    bool written = false;
    {
        THoldReports holding([this](const std::string& text, int type, unsigned buttons) {
            held.push_back({text, type, buttons});
            return int{mrOk};
        });
        written = write();
    }
    failure = written ? COutputFailure{} : LastOutputFailure();
    if (written) {
        for (const THeld& report : held)
            (void)ShowThemedMessage(report.text, report.type, report.buttons);
    }
    return written;
}

QString TFileWrite::ReportText(const QString& ending) const {
    QStringList lines;
    if (!held.empty())
        lines << QString::fromStdString(held.front().text) << QStringLiteral(" ");
    lines << DisplayedFileName(QDir::toNativeSeparators(target));
    if (failure.error != 0)
        lines << QString::fromLocal8Bit(std::strerror(failure.error)) + u'.';
    if (!ending.isEmpty())
        lines << QStringLiteral(" ") << ending;
    return lines.join(u'\n');
}

void TFileWrite::Report(const QString& ending) const {
    const int type = held.empty() ? int{mtError} : held.front().type;
    const unsigned buttons = held.empty() ? unsigned{mbOK} : held.front().buttons;
    (void)ShowThemedMessage(ReportText(ending).toStdString(), type, buttons);
}
