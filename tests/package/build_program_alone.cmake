# Configures and builds the program, the capture and the tools as a packager would, with the tests
# and benchmarks switched off and GoogleTest and Google Benchmark hidden from CMake, as on a
# machine that has neither: the build must not ask for them. Run with -DSOURCE_DIR=<repository
# root> -DBUILD_DIR=<a folder of its own>.
file(REMOVE_RECURSE ${BUILD_DIR})
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BUILD_DIR} -DVESKOP_TESTS=OFF -DVESKOP_BENCH=OFF
            -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_GMock=ON
            -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
    RESULT_VARIABLE configured)
if(NOT configured EQUAL 0)
    message(FATAL_ERROR "the build without tests and benchmarks does not configure")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} -j2 RESULT_VARIABLE built)
if(NOT built EQUAL 0)
    message(FATAL_ERROR "the build without tests and benchmarks does not build")
endif()
foreach(program veskop veskop-capture tools/meshgen/veskop-meshgen tools/xmgen/xmgen)
    if(NOT EXISTS ${BUILD_DIR}/${program})
        message(FATAL_ERROR "the build without tests and benchmarks made no ${program}")
    endif()
endforeach()
if(EXISTS ${BUILD_DIR}/tests OR EXISTS ${BUILD_DIR}/bench)
    message(FATAL_ERROR "the build without tests and benchmarks has tests or benchmarks in it")
endif()
