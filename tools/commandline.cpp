#include "tools/commandline.h"

#include <algorithm>
#include <cstdio>

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace {

// Arguments reach the parser as Latin-1, one character a byte, so that every byte of a file
// name survives the round trip whatever the locale; option names are ASCII either way.
QString Chars(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string Bytes(const QString& chars) {
    return chars.toLatin1().toStdString();
}

std::string Spelled(const std::string& name) {
    return (name.size() == 1 ? "-" : "--") + name;
}

std::string NamesText(const OptionSpec& option) {
    std::string text;
    for (const std::string& name : option.names)
        text += (text.empty() ? "" : ", ") + Spelled(name);
    return text;
}

std::string WithDefault(std::string text, const std::string& value) {
    const std::string mark = "{default}";
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at))
        text.replace(at, mark.size(), value);
    return text;
}

struct HelpRow {
    std::string left;
    std::string text;
};

void AppendRow(std::string& out, const HelpRow& row, size_t column) {
    std::string line = "  " + row.left;
    size_t from = 0;
    for (;;) {
        const size_t stop = row.text.find('\n', from);
        line.resize(std::max(line.size() + 1, column), ' ');
        out += line + row.text.substr(from, stop - from) + "\n";
        if (stop == std::string::npos || stop + 1 == row.text.size())
            return;
        line.clear();
        from = stop + 1;
    }
}

} // namespace

const std::vector<OptionSpec>& CommonOptions() {
    static const std::vector<OptionSpec> options = {
        Flag({"h", "help"}, "print this help"),
        Flag({"version"}, "print the version"),
    };
    return options;
}

std::string HelpText(const CommandSpec& spec) {
    std::vector<HelpRow> rows;
    for (const OptionSpec& option : spec.options) {
        const std::string names = NamesText(option);
        rows.push_back({option.valueName.empty() ? names : names + " " + option.valueName,
                        WithDefault(option.help, option.defaultValue)});
        if (!option.otherValueName.empty())
            rows.push_back({names + " " + option.otherValueName,
                            WithDefault(option.otherHelp, option.defaultValue)});
    }
    size_t column = static_cast<size_t>(spec.helpColumn);
    if (column == 0)
        for (const HelpRow& row : rows)
            column = std::max(column, 2 + row.left.size() + 2);
    std::string text = spec.usage + "\n" + spec.description;
    if (!rows.empty()) {
        text += "\n";
        for (const HelpRow& row : rows)
            AppendRow(text, row, column);
    }
    return text + "\n" + spec.closing;
}

const OptionSpec* CommandLine::Find(const std::string& name) const {
    for (const std::vector<OptionSpec>* list : {&spec_->options, &CommonOptions()})
        for (const OptionSpec& option : *list)
            if (std::find(option.names.begin(), option.names.end(), name) != option.names.end())
                return &option;
    return nullptr;
}

std::string CommandLine::Fault(int argc, char** argv, const std::string& otherwise) const {
    // Qt's parser names neither the kind of fault nor the argument as typed: the arguments are
    // read again, the same way, up to the first one at fault.
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--")
            break;
        if (arg.size() < 2 || arg[0] != '-')
            continue;
        const size_t dashes = arg[1] == '-' ? 2 : 1;
        const size_t equals = arg.find('=');
        const OptionSpec* option = Find(arg.substr(dashes, equals - std::min(equals, dashes)));
        if (option == nullptr)
            return "unknown option '" + arg + "'";
        if (option->valueName.empty() && equals != std::string::npos)
            return arg.substr(0, equals) + " takes no value";
        if (!option->valueName.empty() && equals == std::string::npos && ++i >= argc)
            return arg + " needs a value";
    }
    return otherwise;
}

CommandLine::Outcome CommandLine::Parse(const std::string& command, const CommandSpec& spec,
                                        int argc, char** argv) {
    command_ = command;
    spec_ = &spec;
    argv0_ = argv[0];
    given_.clear();
    operands_.clear();

    QCommandLineParser parser;
    // -o is read as the option "o", and -xyz as one unknown option, not as -x -y -z.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const std::vector<OptionSpec>* list : {&spec.options, &CommonOptions()}) {
        for (const OptionSpec& option : *list) {
            QStringList names;
            for (const std::string& name : option.names)
                names << Chars(name);
            QCommandLineOption qtOption(names);
            qtOption.setValueName(Chars(option.valueName));
            parser.addOption(qtOption);
        }
    }
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << Chars(argv[i]);
    const bool parsed = parser.parse(args);
    if (parser.isSet(QStringLiteral("version")))
        return WantsVersion;
    if (parser.isSet(QStringLiteral("help"))) {
        const std::string help = HelpText(spec);
        std::fwrite(help.data(), 1, help.size(), stdout);
        return ShowedHelp;
    }
    if (!parsed) {
        Fail(Fault(argc, argv, Bytes(parser.errorText())));
        return UsageError;
    }
    for (const OptionSpec& option : spec.options) {
        const QString name = Chars(option.names.front());
        if (parser.isSet(name))
            given_.push_back({option.names.front(), option.valueName.empty()
                                                        ? std::string()
                                                        : Bytes(parser.values(name).constLast())});
    }
    for (const QString& operand : parser.positionalArguments())
        operands_.push_back(Bytes(operand));
    return Run;
}

bool CommandLine::IsSet(const std::string& name) const {
    return std::any_of(given_.begin(), given_.end(),
                       [&](const Given& given) { return given.name == name; });
}

std::string CommandLine::Value(const std::string& name) const {
    for (const Given& given : given_)
        if (given.name == name)
            return given.value;
    const OptionSpec* option = Find(name);
    return option != nullptr ? option->defaultValue : std::string();
}

int CommandLine::Fail(const std::string& message, bool withHelp) const {
    std::fprintf(stderr, "trellion-cli %s: %s\n", command_.c_str(), message.c_str());
    if (withHelp) {
        const std::string help = HelpText(*spec_);
        std::fwrite(help.data(), 1, help.size(), stderr);
    }
    return 2;
}
