# Runs the module generator into a fresh directory and compares its output with the
# committed module byte for byte.
#   cmake -DXMGEN=<generator> -DEXPECTED=<committed module> -DWORK=<scratch dir> -P this
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND "${XMGEN}" "${WORK}/LUMAR7.XM" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "xmgen failed: ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK}/LUMAR7.XM" "${EXPECTED}" RESULT_VARIABLE differ)
file(REMOVE_RECURSE "${WORK}")
if(NOT differ EQUAL 0)
    message(FATAL_ERROR "the generator's output differs from ${EXPECTED}; "
                        "rerun 'cmake --build build --target update_module' and commit the result")
endif()
