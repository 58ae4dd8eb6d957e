// trellion-cli check: what in an ILDA file departs from the published standard.
#include <cstdio>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

#include "ilda/cilda.h"
#include "ilda/ildacheck.h"
#include "platform/inputfile.h"
#include "tools/commandregistry.h"
#include "tools/jsonoutput.h"
#include "tools/outofmemory.h"

namespace {

// The kinds with their severities and meanings, wrapped to the help text's width.
std::string KindsText() {
    constexpr size_t kIndent = 31;
    constexpr size_t kWidth = 78;
    std::string text;
    for (const IldaDepartureKindInfo& kind : IldaDepartureKinds()) {
        std::string line = "  " + std::string(kind.word);
        line.resize(22, ' ');
        line += IldaSeverityWord(kind.severity);
        line.resize(kIndent, ' ');
        size_t column = kIndent;
        const std::string meaning = kind.meaning;
        size_t from = 0;
        while (from < meaning.size()) {
            size_t stop = meaning.find(' ', from);
            if (stop == std::string::npos)
                stop = meaning.size();
            const std::string word = meaning.substr(from, stop - from);
            if (column > kIndent && column + 1 + word.size() > kWidth) {
                text += line + "\n";
                line = std::string(kIndent, ' ');
                column = kIndent;
            }
            if (column > kIndent) {
                line += ' ';
                ++column;
            }
            line += word;
            column += word.size();
            from = stop + 1;
        }
        text += line + "\n";
    }
    return text;
}

CommandSpec DescribeCheck() {
    CommandSpec spec;
    spec.usage = "usage: trellion-cli check [--json] FILE.ild...\n";
    spec.description = "Lists what in each FILE departs from the published ILDA standard, one\n"
                       "line each:\n"
                       "  FILE: section N at byte OFFSET: SEVERITY: WHAT [KIND]\n"
                       "(sections numbered from 1 as info lists them; bytes before the first\n"
                       "header have no section), then one count line:\n"
                       "  FILE: E errors, W warnings, N notes\n"
                       "A file this program writes has nothing to say.\n"
                       "\n"
                       "Severities: an error makes a strict reader of the standard lose data or\n"
                       "misread the file; after a warning readers cope, but the file is not as\n"
                       "the standard writes it; a note is worth knowing, not wrong.\n"
                       "\n"
                       "A sequence is the frames up to a closing section; its frames count\n"
                       "0 ... N-1 and say N in total frames. A sequence of more than 65,535\n"
                       "frames cannot be counted in 16 bits: its frames say 65,535 in total\n"
                       "frames, count 0, 1, ... up to 65,533 and stay there, and only its last\n"
                       "frame says 65,534.\n"
                       "\n"
                       "Kinds:\n" +
                       KindsText();
    spec.options = {
        Flag({"json"}, "print one JSON document with the same facts instead:\n"
                       "{\"files\": [{\"file\", \"departures\": [{\"section\", \"offset\",\n"
                       "\"kind\", \"severity\", \"text\"}, ...], \"counts\": {\"errors\",\n"
                       "\"warnings\", \"notes\"}}, ...]}; a file that cannot be read as\n"
                       "{\"file\", \"error\"}. The README lists every key."),
    };
    spec.closing = "A file that cannot be read is reported in one line on standard error.\n"
                   "Exit status: 0 when no file has an error, 1 when any has an error or\n"
                   "cannot be read, 2 when the arguments are wrong.\n";
    spec.operands = {FilesNamed("ild")};
    return spec;
}

// The file's bytes, read as the reader reads them; false with a reason when it cannot be read.
bool ReadFile(const char* name, CIlda& ilda, std::string* why) {
    if (ilda.ReadWholeFile(name))
        return true;
    const int fd = OpenRegularFile(name, nullptr, why);
    if (fd >= 0) {
        ::close(fd);
        *why = "cannot be read";
    }
    return false;
}

void PrintDepartures(const char* name, const std::vector<IldaDeparture>& departures) {
    for (const IldaDeparture& d : departures) {
        std::string where;
        if (d.section != 0)
            where = "section " + std::to_string(d.section) + " ";
        std::printf("%s: %sat byte %zu: %s: %s [%s]\n", name, where.c_str(), d.offset,
                    IldaSeverityWord(d.Severity()), d.text.c_str(), IldaKindInfo(d.kind).word);
    }
    const IldaDepartureCounts c = CountDepartures(departures);
    std::printf("%s: %zu error%s, %zu warning%s, %zu note%s\n", name, c.errors,
                c.errors == 1 ? "" : "s", c.warnings, c.warnings == 1 ? "" : "s", c.notes,
                c.notes == 1 ? "" : "s");
}

QJsonObject DeparturesJson(const char* name, const std::vector<IldaDeparture>& departures) {
    QJsonArray list;
    for (const IldaDeparture& d : departures)
        list.append(
            QJsonObject{{"section", d.section == 0 ? QJsonValue(QJsonValue::Null)
                                                   : QJsonValue(static_cast<double>(d.section))},
                        {"offset", static_cast<double>(d.offset)},
                        {"kind", IldaKindInfo(d.kind).word},
                        {"severity", IldaSeverityWord(d.Severity())},
                        {"text", QString::fromStdString(d.text)}});
    const IldaDepartureCounts c = CountDepartures(departures);
    QJsonObject entry{{"departures", list},
                      {"counts", QJsonObject{{"errors", static_cast<double>(c.errors)},
                                             {"warnings", static_cast<double>(c.warnings)},
                                             {"notes", static_cast<double>(c.notes)}}}};
    SetJsonPath(entry, "file", QByteArray(name));
    return entry;
}

// Checks one file and prints (or, with --json, adds to `files`) its departures. False when it
// has an error or cannot be read; a file that cannot be read is reported on standard error.
bool CheckFile(const char* name, bool json, QJsonArray& files) {
    CIlda ilda;
    std::string why;
    std::string failure;
    try {
        if (ReadFile(name, ilda, &why)) {
            const std::span<const uint8_t> bytes = ilda.Input();
            const std::vector<IldaDeparture> departures = CheckIlda(bytes.data(), bytes.size());
            if (json)
                files.append(DeparturesJson(name, departures));
            else
                PrintDepartures(name, departures);
            return CountDepartures(departures).errors == 0;
        }
        failure = why;
        std::fprintf(stderr, "trellion-cli check: %s: %s\n", name, why.c_str());
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        ReportOutOfMemory("check", "load", name);
        failure = "not enough memory";
    }
    if (json) {
        QJsonObject entry{{"error", JsonText(QByteArray::fromStdString(failure))}};
        SetJsonPath(entry, "file", QByteArray(name));
        files.append(entry);
    }
    return false;
}

int RunCheck(const CommandLine& line) {
    const bool json = line.IsSet("json");
    if (line.Operands().empty())
        return line.Fail("no file given", true);

    bool clean = true;
    QJsonArray entries;
    for (const std::string& file : line.Operands())
        clean = CheckFile(file.c_str(), json, entries) && clean;
    if (json) {
        if (!WriteJson(QJsonObject{{"files", entries}})) {
            std::fprintf(stderr, "trellion-cli check: cannot write to standard output\n");
            return 1;
        }
    } else if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "trellion-cli check: cannot write to standard output\n");
        return 1;
    }
    return clean ? 0 : 1;
}

const CommandRegistration registration("check", "list what in ILDA files departs from the standard",
                                       &DescribeCheck, &RunCheck);

} // namespace
