# Script mode: writes a man page from a program's own --help and --version with help2man.
#   cmake -DHELP2MAN=... -DPROGRAM=... -DNAME="one-line description" -DINCLUDE=static.h2m
#         -DOUTPUT=page.1.gz [-DCOMMANDS=ON] -P ManPage.cmake
# With COMMANDS, a COMMANDS section lists every command of `PROGRAM --help` with the usage and
# description its own `PROGRAM COMMAND --help` prints. The page is compressed with gzip -9n.

get_filename_component(out_dir ${OUTPUT} DIRECTORY)
get_filename_component(program_name ${PROGRAM} NAME)
set(include_file ${out_dir}/${program_name}.h2m)
file(READ ${INCLUDE} static_sections)

# roff escapes for text that is printed as written.
function(velmora_roff text out)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(commands_section "")
if(COMMANDS)
    execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${PROGRAM} --help failed")
    endif()
    string(REGEX REPLACE ".*\ncommands:\n" "" listing "${help}")
    string(REGEX REPLACE "\n\n.*" "" listing "${listing}")
    string(REPLACE "\n" ";" lines "${listing}")
    set(commands_section "[COMMANDS]\n")
    foreach(line IN LISTS lines)
        if(NOT line MATCHES "^  ([a-z][a-z-]*) ")
            continue()
        endif()
        set(command ${CMAKE_MATCH_1})
        execute_process(COMMAND ${PROGRAM} ${command} --help OUTPUT_VARIABLE usage
                        RESULT_VARIABLE rc)
        if(NOT rc EQUAL 0)
            message(FATAL_ERROR "${PROGRAM} ${command} --help failed")
        endif()
        string(STRIP "${usage}" usage)
        string(REGEX REPLACE "^usage: " "" usage "${usage}")
        velmora_roff("${usage}" usage)
        string(REPLACE "\n" "\n.br\n" usage "${usage}")
        velmora_roff("${command}" command)
        string(APPEND commands_section ".TP\n.B ${command}\n${usage}\n")
    endforeach()
    string(APPEND commands_section "\n")
endif()
file(WRITE ${include_file} "${commands_section}${static_sections}")

string(REGEX REPLACE "\\.gz$" "" page ${OUTPUT})
execute_process(COMMAND ${HELP2MAN} --no-info --section=1 --name=${NAME} --include=${include_file}
                        --output=${page} ${PROGRAM}
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "help2man failed for ${PROGRAM}")
endif()
execute_process(COMMAND gzip -9nf ${page} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip failed for ${page}")
endif()
