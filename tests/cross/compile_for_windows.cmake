# Compiles every program source (src/app, src/demo, src/music) with the mingw-w64 cross compiler
# against the real Windows headers, with warnings as errors, so the Linux stand-in for <windows.h>
# cannot drift from the system's. Run with -DSOURCE_DIR=<repository root> -DCOMPILER=<g++>.
file(GLOB_RECURSE sources
     ${SOURCE_DIR}/src/app/*.cpp ${SOURCE_DIR}/src/demo/*.cpp ${SOURCE_DIR}/src/music/*.cpp)
# The generated mesh arrays are plain constant data (megabytes of it); the code that uses them is
# checked.
list(FILTER sources EXCLUDE REGEX "_geometry\\.cpp$")
set(failed 0)
foreach(source ${sources})
    execute_process(
        COMMAND ${COMPILER} -std=c++17 -Wall -Wextra -Werror -fsyntax-only
                -I${SOURCE_DIR}/src
                -I${SOURCE_DIR}/src/platform/sound/include
                -I${SOURCE_DIR}/src/platform/pngtex/include
                ${source}
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(SEND_ERROR "does not build for Windows: ${source}")
        set(failed 1)
    endif()
endforeach()
list(LENGTH sources count)
message(STATUS "${count} program sources checked against the Windows headers")
