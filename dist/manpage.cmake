# Writes the manual page of trellion-cli from the help texts the program itself prints (the
# overview of `trellion-cli --help`, then `trellion-cli COMMAND --help` for every command it
# lists), so the page and the program cannot disagree. Run as
#   cmake -DPROGRAM=<trellion-cli> -DOUTPUT=<file.1> -DVERSION=<x.y> -DDATE=<YYYY-MM-DD>
#         -P manpage.cmake

foreach(var PROGRAM OUTPUT VERSION DATE)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "manpage.cmake: ${var} is not set")
    endif()
endforeach()

function(run_help out)
    execute_process(COMMAND "${PROGRAM}" ${ARGN} --help
                    OUTPUT_VARIABLE text ERROR_VARIABLE errors RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "'${PROGRAM} ${ARGN} --help' failed (${status}): ${errors}")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Moves the first line of the text in the variable named `text_var` (without its newline)
# into the variable named `line_var`. Lines are taken one at a time with string(FIND), never
# as a CMake list, so brackets and semicolons in the help pass unchanged.
function(take_line text_var line_var)
    set(text "${${text_var}}")
    string(FIND "${text}" "\n" end)
    if(end EQUAL -1)
        set(line "${text}")
        set(text "")
    else()
        string(SUBSTRING "${text}" 0 ${end} line)
        math(EXPR rest "${end} + 1")
        string(SUBSTRING "${text}" ${rest} -1 text)
    endif()
    set(${text_var} "${text}" PARENT_SCOPE)
    set(${line_var} "${line}" PARENT_SCOPE)
endfunction()

# Text as roff shows it literally: backslashes and minus signs escaped, and no line that roff
# would read as a request.
function(roff_literal out text)
    set(result "")
    while(NOT text STREQUAL "")
        take_line(text line)
        string(REPLACE "\\" "\\e" line "${line}")
        string(REPLACE "-" "\\-" line "${line}")
        if(line MATCHES "^[.']")
            set(line "\\&${line}")
        endif()
        string(APPEND result "${line}\n")
    endwhile()
    set(${out} "${result}" PARENT_SCOPE)
endfunction()

run_help(overview)

# The commands are the overview's lines "  NAME   summary".
set(commands "")
set(text "${overview}")
while(NOT text STREQUAL "")
    take_line(text line)
    if(line MATCHES "^  ([a-z][a-z0-9-]*)  +[^ ]")
        list(APPEND commands "${CMAKE_MATCH_1}")
    endif()
endwhile()
if(commands STREQUAL "")
    message(FATAL_ERROR "'${PROGRAM} --help' lists no commands:\n${overview}")
endif()

roff_literal(overview_roff "${overview}")
set(page ".\\\" Generated from the program's help texts; edit those, not this file.
.TH TRELLION\\-CLI 1 \"${DATE}\" \"trellion\\-cli ${VERSION}\" \"User Commands\"
.SH NAME
trellion\\-cli \\- find, inspect, convert, re\\-save and render ILDA laser show files
.SH SYNOPSIS
.B trellion\\-cli
.I COMMAND
.RI [ ARGS ...]
.br
.B trellion\\-cli
.I COMMAND
.B \\-\\-help
.br
.B trellion\\-cli
.RI [ COMMAND ]
.B \\-\\-version
.SH DESCRIPTION
.B trellion\\-cli
runs the file operations of the Trellion window from scripts and terminals.
Each command below is described by the text that
.B trellion\\-cli
.I COMMAND
.B \\-\\-help
prints.
.PP
.nf
${overview_roff}.fi
.SH COMMANDS
")
foreach(command IN LISTS commands)
    run_help(help "${command}")
    roff_literal(help_roff "${help}")
    string(REPLACE "-" "\\-" heading "${command}")
    string(APPEND page ".SS ${heading}\n.nf\n${help_roff}.fi\n")
endforeach()
string(APPEND page ".SH SEE ALSO
.BR trellion (1)
")

file(WRITE "${OUTPUT}.tmp" "${page}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
