# Runs the mesh generator into OUTPUT_DIR and fails unless it reproduces the committed sources in
# SOURCE_DIR byte for byte.
#   cmake -DGENERATOR=... -DSOURCE_DIR=... -DOUTPUT_DIR=... -P check_generated.cmake
file(REMOVE_RECURSE "${OUTPUT_DIR}")
file(MAKE_DIRECTORY "${OUTPUT_DIR}")
execute_process(COMMAND "${GENERATOR}" "${OUTPUT_DIR}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "veskop-meshgen failed: ${result}")
endif()
foreach(name mesh_a_geometry.cpp mesh_b_geometry.cpp mesh_c_geometry.cpp)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUTPUT_DIR}/${name}" "${SOURCE_DIR}/${name}"
                    RESULT_VARIABLE differs)
    if(NOT differs EQUAL 0)
        message(FATAL_ERROR "${name}: the committed file differs from what veskop-meshgen writes; "
                            "regenerate with: cmake --build build --target meshes")
    endif()
endforeach()
