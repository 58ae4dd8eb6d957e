#pragma once

// The command line of a trellion-cli command: the one table in which a command declares its
// options, the parser every command reads its arguments with, and the help text made from the
// table. The manual page (from the help texts) and the bash completion (from the tables) are
// made from the same tables, so the three cannot disagree.

#include <string>
#include <utility>
#include <vector>

// What the shell offers for an option's value or for an operand.
struct Completion {
    enum Kind { Nothing, Files, Directories, Words };
    Kind kind = Nothing;
    // Files: the extension, without the dot ("ild"); Words: the words, separated by spaces.
    std::string what;
};

[[nodiscard]] inline Completion FilesNamed(const char* extension) {
    return {Completion::Files, extension};
}
[[nodiscard]] inline Completion AnyDirectory() {
    return {Completion::Directories, {}};
}
[[nodiscard]] inline Completion OneOf(std::string words) {
    return {Completion::Words, std::move(words)};
}

// One option of a command.
struct OptionSpec {
    // One letter gives a short name (-o), longer a long one (--output); the first is the name
    // the command asks for it by.
    std::vector<std::string> names;
    // The name of the option's value in the help ("DIR"); empty for an option without a value.
    std::string valueName;
    // The help text, lines separated by "\n"; "{default}" in it stands for defaultValue.
    std::string help;
    // The value when the option is not given.
    std::string defaultValue;
    Completion completes;
    // A further row of help for the same option read another way (-o DIR beside -o OUT).
    std::string otherValueName;
    std::string otherHelp;
};

// An option without a value.
[[nodiscard]] inline OptionSpec Flag(std::vector<std::string> names, std::string help) {
    OptionSpec option;
    option.names = std::move(names);
    option.help = std::move(help);
    return option;
}

// An option with a value.
[[nodiscard]] inline OptionSpec Valued(std::vector<std::string> names, std::string valueName,
                                       std::string help, std::string defaultValue = {},
                                       Completion completes = {}) {
    OptionSpec option = Flag(std::move(names), std::move(help));
    option.valueName = std::move(valueName);
    option.defaultValue = std::move(defaultValue);
    option.completes = std::move(completes);
    return option;
}

// Everything about a command but its name, its summary and what it does.
struct CommandSpec {
    // The first lines of the help, "usage: trellion-cli COMMAND ...", ending in a newline.
    std::string usage;
    // The text between the usage and the options, ending in a newline.
    std::string description;
    std::vector<OptionSpec> options;
    // The text after the options, ending in a newline.
    std::string closing;
    // The column the options' help starts in; 0 puts it two spaces after the longest name.
    int helpColumn = 0;
    // What the shell offers for the command's operands, in order; the last one repeats.
    std::vector<Completion> operands;
};

// The options every command takes besides its own: --help (-h) and --version.
[[nodiscard]] const std::vector<OptionSpec>& CommonOptions();

// The command's help as `trellion-cli COMMAND --help` prints it.
[[nodiscard]] std::string HelpText(const CommandSpec& spec);

// A command's arguments as parsed against its table.
class CommandLine {
public:
    enum Outcome {
        Run,          // parsed: the command runs
        ShowedHelp,   // --help was given and the help printed: exit status 0
        WantsVersion, // --version was given: the caller prints the version, exit status 0
        UsageError    // reported on standard error as one line: exit status 2
    };

    // Parses argv (argv[0] is the command's name) by the table: --opt value, --opt=value, -o
    // value, and -- to end the options; a lone "-" is an operand. The bytes of every argument
    // are kept as given, whatever the locale. An unknown option, a missing value or a value
    // given to an option that takes none is reported as one line naming the argument as typed.
    // --version, then --help, win over every other argument. `spec` must outlive this object.
    [[nodiscard]] Outcome Parse(const std::string& command, const CommandSpec& spec, int argc,
                                char** argv);

    // Whether the option named `name` (its first name) was given.
    [[nodiscard]] bool IsSet(const std::string& name) const;
    // The option's value as given (the last one, when given more than once), or its default.
    [[nodiscard]] std::string Value(const std::string& name) const;
    [[nodiscard]] const std::vector<std::string>& Operands() const { return operands_; }
    // argv[0] of the command, for the application objects that want one.
    [[nodiscard]] char* Argv0() const { return argv0_; }

    // Reports a usage error as one line "trellion-cli COMMAND: message", then, with
    // `withHelp`, the help; gives the exit status 2.
    int Fail(const std::string& message, bool withHelp = false) const;

private:
    struct Given {
        std::string name;
        std::string value;
    };
    const OptionSpec* Find(const std::string& name) const;
    // The first argument at fault, as one line of error; `otherwise` when none is found.
    std::string Fault(int argc, char** argv, const std::string& otherwise) const;

    std::string command_;
    const CommandSpec* spec_ = nullptr;
    std::vector<Given> given_;
    std::vector<std::string> operands_;
    char* argv0_ = nullptr;
};
