# Runs a data generator into a fresh scratch folder and fails unless it reproduces the committed
# files byte for byte.
#   cmake "-DGENERATE=<command|arg|...>" -DOUTPUT=<scratch dir> -DCOMMITTED=<dir of committed files>
#         "-DNAMES=<name|name|...>" "-DREGENERATE=<how to regenerate>" -P check_generated.cmake
# Lists are separated by | (a ; would split the argument on its way through CTest). In GENERATE,
# @OUTPUT@ stands for the scratch folder. A name may hold folders below COMMITTED
# ("packaging/veskop-48.png"): the generator writes that file into the scratch folder itself.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${OUTPUT}")
file(MAKE_DIRECTORY "${OUTPUT}")
string(REPLACE "|" ";" command "${GENERATE}")
string(REPLACE "@OUTPUT@" "${OUTPUT}" command "${command}")
string(REPLACE "|" ";" NAMES "${NAMES}")
execute_process(COMMAND ${command} RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the generator failed (${result}): ${command}")
endif()
set(differ "")
foreach(name ${NAMES})
    cmake_path(GET name FILENAME file)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${OUTPUT}/${file}" "${COMMITTED}/${name}"
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        list(APPEND differ ${name})
    endif()
endforeach()
if(differ)
    message(FATAL_ERROR "the generator's output differs from the committed ${differ} in ${COMMITTED}\n"
                        "(if the generator changed on purpose: ${REGENERATE}, and commit the result)")
endif()
file(REMOVE_RECURSE "${OUTPUT}")
