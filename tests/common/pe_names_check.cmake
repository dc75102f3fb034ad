# cmake -DOBJDUMP=... -DFILE=... [-DEXPORTS=a;b] [-DIMPORTS=a;b] -P pe_names_check.cmake
# Checks a Windows program or library with the build's objdump, without running it: that it
# exports exactly EXPORTS, each under its plain name (no leading underscore, no @N suffix of a
# decorated name), and that it imports each of IMPORTS.
execute_process(COMMAND ${OBJDUMP} -p ${FILE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${OBJDUMP} -p ${FILE} failed")
endif()

# Square brackets would change how CMake splits lists.
string(REPLACE "[" "<" dump "${dump}")
string(REPLACE "]" ">" dump "${dump}")

if(DEFINED EXPORTS)
    string(REGEX MATCH "<Ordinal/Name Pointer> Table\n([^\n]+\n)*" table "${dump}")
    string(REGEX MATCHALL "<[ 0-9]+> [^\n]+" entries "${table}")
    set(names)
    foreach(entry ${entries})
        string(REGEX REPLACE "^<[ 0-9]+> " "" name "${entry}")
        list(APPEND names "${name}")
        if(name MATCHES "^_|@")
            message(SEND_ERROR "${FILE}: export '${name}' carries a decoration")
        endif()
    endforeach()
    list(SORT names)
    set(expected ${EXPORTS})
    list(SORT expected)
    if(NOT names STREQUAL expected)
        message(SEND_ERROR "${FILE}: exports are '${names}', expected '${expected}'")
    endif()
endif()

foreach(name ${IMPORTS})
    if(NOT dump MATCHES "[0-9a-f]+ +${name}\n")
        message(SEND_ERROR "${FILE}: does not import ${name}")
    endif()
endforeach()
