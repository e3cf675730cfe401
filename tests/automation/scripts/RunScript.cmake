# Runs one script of the script suite with velmora-cli on a fresh sample workspace and compares
# what it printed with the expected text.
#   cmake -DCLI=velmora-cli -DSCRIPT=name.js -DEXPECTED=name.expected -DWORK=dir
#         [-DTARGET=path] [-DUPDATE=1] -P RunScript.cmake
# TARGET is what the command runs instead of the script (a directory, say). Lines of the script
# starting "//! tz " name time zones: the script runs once in each, with the same expectation;
# "//! args " lines give its arguments.
# The expected text is what the script printed; when it failed or wrote to stderr, a line
# "--- exit N" and its stderr follow, the script's path written as its file name. UPDATE writes
# the output as the new expectation instead.
foreach(var CLI SCRIPT EXPECTED WORK)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "RunScript.cmake: ${var} is not set")
    endif()
endforeach()
if(NOT DEFINED TARGET)
    set(TARGET ${SCRIPT})
endif()

set(zones "")
set(script_args "")
if(NOT IS_DIRECTORY ${SCRIPT})
    file(STRINGS ${SCRIPT} header REGEX "^//! ")
    foreach(line ${header})
        if(line MATCHES "^//! tz (.*)$")
            separate_arguments(zones UNIX_COMMAND "${CMAKE_MATCH_1}")
        elseif(line MATCHES "^//! args (.*)$")
            separate_arguments(script_args UNIX_COMMAND "${CMAKE_MATCH_1}")
        endif()
    endforeach()
endif()
if(NOT zones)
    set(zones "UTC")
endif()

set(expected "")
if(EXISTS ${EXPECTED})
    file(READ ${EXPECTED} expected)
endif()
get_filename_component(shown ${TARGET} NAME)
foreach(zone ${zones})
    file(REMOVE_RECURSE ${WORK})
    file(MAKE_DIRECTORY ${WORK}/profile)
    execute_process(COMMAND ${CLI} --profile ${WORK}/profile sample-workspace ${WORK}/ws
                    RESULT_VARIABLE status OUTPUT_QUIET)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "cannot write the sample workspace (${status})")
    endif()
    set(ENV{TZ} ${zone})
    execute_process(COMMAND ${CLI} --profile ${WORK}/profile --workspace ${WORK}/ws
                            script ${TARGET} ${script_args}
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL 0 OR NOT err STREQUAL "")
        string(REPLACE "${TARGET}" "${shown}" err "${err}")
        string(APPEND out "--- exit ${status}\n${err}")
    endif()
    if(UPDATE)
        file(WRITE ${EXPECTED} "${out}")
        set(expected "${out}")
    elseif(NOT out STREQUAL expected)
        message(FATAL_ERROR "TZ=${zone}: the output differs from ${EXPECTED}:\n${out}")
    endif()
endforeach()
