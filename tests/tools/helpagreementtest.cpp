// --help, the manual page and the bash completion are made from the same option tables: every
// option of every command appears in all three.
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QProcess>
#include <QRegularExpression>

#include "tests/tools/clirun.h"

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The commands the overview lists, its lines "  NAME   summary".
std::vector<std::string> Commands() {
    std::vector<std::string> commands;
    const QRegularExpression row(QStringLiteral("^  ([a-z][a-z0-9-]*)  +[^ ]"));
    for (const std::string& line : Lines(RunCli(QStringList{"--help"}).out)) {
        const QRegularExpressionMatch match = row.match(QString::fromStdString(line));
        if (match.hasMatch())
            commands.push_back(match.captured(1).toStdString());
    }
    return commands;
}

// The options a help text lists: its rows "  -o, --output DIR  text" and "  --json  text".
std::set<std::string> HelpOptions(const std::string& help) {
    std::set<std::string> options;
    const QRegularExpression name(QStringLiteral("(?:^|, )(-[a-z]|--[a-z][a-z0-9-]*)"));
    for (const std::string& line : Lines(help)) {
        if (line.rfind("  -", 0) != 0)
            continue;
        const QString names = QString::fromStdString(line.substr(2, line.find("  ", 2) - 2));
        for (QRegularExpressionMatchIterator it = name.globalMatch(names); it.hasNext();)
            options.insert(it.next().captured(1).toStdString());
    }
    return options;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// A section of the manual page as text again: roff's escapes undone.
std::string ManSection(const std::string& page, const std::string& command) {
    std::string heading = ".SS ";
    for (char c : command)
        heading += c == '-' ? std::string("\\-") : std::string(1, c);
    const size_t at = page.find(heading + "\n.nf\n");
    if (at == std::string::npos)
        return {};
    const size_t from = at + heading.size() + 5;
    const size_t to = page.find("\n.fi\n", from);
    std::string text;
    for (std::string line : Lines(page.substr(from, to + 1 - from))) {
        if (line.rfind("\\&", 0) == 0)
            line.erase(0, 2);
        line = ReplaceAll(ReplaceAll(line, "\\-", "-"), "\\e", "\\");
        text += line + "\n";
    }
    return text;
}

// What the installed completion offers for the words, the last being completed.
std::set<std::string> Completions(const std::vector<std::string>& words) {
    std::string script = "_init_completion() { cur=${COMP_WORDS[COMP_CWORD]} "
                         "prev=${COMP_WORDS[COMP_CWORD - 1]} words=(\"${COMP_WORDS[@]}\") "
                         "cword=$COMP_CWORD; }\n"
                         "_filedir() { COMPREPLY=(\"files:${1:-any}\"); }\n"
                         "source '" TRELLION_COMPLETION "'\nCOMP_WORDS=(";
    for (const std::string& word : words)
        script += " '" + word + "'";
    script += ")\nCOMP_CWORD=" + std::to_string(words.size() - 1) +
              "\n_trellion_cli\nprintf '%s\\n' \"${COMPREPLY[@]}\"\n";
    QProcess bash;
    bash.start(QStringLiteral("bash"), {QStringLiteral("-c"), QString::fromStdString(script)});
    EXPECT_TRUE(bash.waitForFinished(30000));
    EXPECT_EQ(bash.readAllStandardError().toStdString(), "");
    std::set<std::string> offered;
    for (const std::string& line : Lines(bash.readAllStandardOutput().toStdString()))
        offered.insert(line);
    return offered;
}

TEST(HelpManualAndCompletion, ListTheSameCommands) {
    const std::vector<std::string> commands = Commands();
    ASSERT_EQ(commands.size(), 8u);
    std::set<std::string> expected(commands.begin(), commands.end());
    expected.insert({"--help", "-h", "--version"});
    EXPECT_EQ(Completions({"trellion-cli", ""}), expected);
    const std::string page = ReadText(TRELLION_MANPAGE);
    for (const std::string& command : commands)
        EXPECT_NE(ManSection(page, command), "") << command;
}

TEST(HelpManualAndCompletion, EveryOptionOfEveryCommandAppearsInAllThree) {
    const std::string page = ReadText(TRELLION_MANPAGE);
    ASSERT_FALSE(page.empty());
    for (const std::string& command : Commands()) {
        SCOPED_TRACE(command);
        const CliRun help = RunCli(QStringList{QString::fromStdString(command), "--help"});
        ASSERT_EQ(help.status, 0);
        const std::set<std::string> options = HelpOptions(help.out);
        EXPECT_FALSE(options.empty());
        // The page shows the help text as it is, so every option the help lists.
        EXPECT_EQ(ManSection(page, command), help.out);
        // The completion offers exactly those, besides what every command takes.
        std::set<std::string> expected = options;
        expected.insert({"--help", "-h", "--version"});
        EXPECT_EQ(Completions({"trellion-cli", command, "-"}), expected);
        // Each option that takes a value is followed by its value, not by another option.
        for (const std::string& option : options) {
            const QRegularExpression row(
                QStringLiteral("(\\n  |, )") +
                QRegularExpression::escape(QString::fromStdString(option)) +
                QStringLiteral(" [A-Z]"));
            const bool valued = row.match(QString::fromStdString(help.out)).hasMatch();
            if (!valued)
                continue;
            for (const std::string& offer : Completions({"trellion-cli", command, option, ""}))
                EXPECT_NE(offer.rfind("-", 0), 0u) << option << " offers " << offer;
        }
    }
}

TEST(HelpManualAndCompletion, ValuesAndOperandsCompleteByKind) {
    const struct {
        const char* name;
        std::vector<std::string> words;
        std::set<std::string> offered;
    } rows[] = {
        {"palette", {"trellion-cli", "render", "--palette", "p"}, {"pangolin"}},
        {"settings", {"trellion-cli", "convert", "--settings", ""}, {"files:ini"}},
        {"directory", {"trellion-cli", "convert", "a.ild", "-o", ""}, {"files:-d"}},
        {"find operands", {"trellion-cli", "find", "--masks", "*.ild", ""}, {"files:-d"}},
        {"after --", {"trellion-cli", "check", "--", "-"}, {"files:ild"}},
        {"second operand", {"trellion-cli", "thumbnail", "a.ild", ""}, {"files:png"}},
        {"a value with =", {"trellion-cli", "thumbnail", "--size=9", "a.ild", ""}, {"files:png"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Completions(row.words), row.offered);
    }
}

} // namespace
