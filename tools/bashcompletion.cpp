#include "tools/bashcompletion.h"

namespace {

constexpr const char* kHead = R"(# bash completion for trellion-cli
#
# Written by `trellion-cli --completion bash` from the commands' option tables, the tables their
# --help and the manual page are made from; edit those, not this file.

# Offers what a value or operand of kind $1 completes to: "dir", "files:EXT" or "words:A B ...".
_trellion_cli_offer() {
    case $1 in
        dir) _filedir -d ;;
        files:*) _filedir "${1#files:}" ;;
        words:*) COMPREPLY=($(compgen -W "${1#words:}" -- "$cur")) ;;
    esac
}

_trellion_cli() {
    local cur prev words cword
    _init_completion || return

    if ((cword == 1)); then
        COMPREPLY=($(compgen -W "@COMMANDS@" -- "$cur"))
        return
    fi

    # options: every option; valued: those that take a value; operands: the operands' kinds,
    # the last one repeating.
    local options valued operands
    case ${words[1]} in
)";

constexpr const char* kMiddle = R"(        *) return ;;
    esac

    # Where the word being completed stands: an option's value, after --, or the how-manieth
    # operand.
    local i word ended="" expect="" operand=0
    for ((i = 2; i < cword; i++)); do
        word=${words[i]}
        if [[ -n $expect ]]; then
            expect=""
        elif [[ -z $ended && $word == -- ]]; then
            ended=1
        elif [[ -z $ended && $word == -?* ]]; then
            [[ $word != *=* && " $valued " == *" $word "* ]] && expect=1
        else
            ((operand++))
        fi
    done

    if [[ -n $expect ]]; then
        case ${words[1]}:$prev in
)";

constexpr const char* kTail = R"(        esac
        return
    fi
    if [[ -z $ended && $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    operands=($operands)
    if ((operand >= ${#operands[@]})); then
        operand=$((${#operands[@]} - 1))
    fi
    _trellion_cli_offer "${operands[operand]}"
} &&
    complete -F _trellion_cli trellion-cli
)";

std::string Spelled(const std::string& name) {
    return (name.size() == 1 ? "-" : "--") + name;
}

std::string Kind(const Completion& completion) {
    switch (completion.kind) {
    case Completion::Files:
        return "files:" + completion.what;
    case Completion::Directories:
        return "dir";
    case Completion::Words:
        return "words:" + completion.what;
    case Completion::Nothing:
        break;
    }
    return "none";
}

void Replace(std::string& text, const std::string& mark, const std::string& by) {
    text.replace(text.find(mark), mark.size(), by);
}

} // namespace

std::string BashCompletion(const std::vector<NamedCommandSpec>& commands) {
    std::string words;
    std::string perCommand;
    std::string values;
    for (const NamedCommandSpec& command : commands) {
        words += command.name + " ";
        std::string options;
        std::string valued;
        for (const std::vector<OptionSpec>* list : {&command.spec.options, &CommonOptions()}) {
            for (const OptionSpec& option : *list) {
                std::string cases;
                for (const std::string& name : option.names) {
                    options += (options.empty() ? "" : " ") + Spelled(name);
                    if (!option.valueName.empty()) {
                        valued += (valued.empty() ? "" : " ") + Spelled(name);
                        cases += (cases.empty() ? "" : " | ") + command.name + ":" + Spelled(name);
                    }
                }
                if (!cases.empty() && option.completes.kind != Completion::Nothing)
                    values += "            " + cases + ") _trellion_cli_offer \"" +
                              Kind(option.completes) + "\" ;;\n";
            }
        }
        std::string operands;
        for (const Completion& operand : command.spec.operands)
            operands += (operands.empty() ? "" : " ") + Kind(operand);
        perCommand += "        " + command.name + ")\n            options=\"" + options +
                      "\"\n            valued=\"" + valued + "\"\n            operands=\"" +
                      operands + "\"\n            ;;\n";
    }
    std::string script = kHead;
    Replace(script, "@COMMANDS@", words + "--help -h --version");
    return script + perCommand + kMiddle + values + kTail;
}
