# Cross-compiles for 64-bit Windows with Debian's mingw-w64 in its posix-threads flavour, whose C++
# library has std::thread and std::mutex. Libraries are found only in the mingw-w64 tree and in
# the folders listed in VESKOP_WINDOWS_LIBRARIES (the libraries tools/windows/build_libraries.sh
# builds).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE} ${VESKOP_WINDOWS_LIBRARIES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# try_compile reads this file again, in a project of its own.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VESKOP_WINDOWS_LIBRARIES)

# pkg-config sees the Windows libraries only, never the build machine's.
set(pkgconfig_folders)
foreach(root IN LISTS CMAKE_FIND_ROOT_PATH)
    list(APPEND pkgconfig_folders ${root}/lib/pkgconfig)
endforeach()
list(APPEND pkgconfig_folders /usr/${MINGW_TRIPLE}/share/pkgconfig)
string(REPLACE ";" ":" pkgconfig_folders "${pkgconfig_folders}")
set(ENV{PKG_CONFIG_LIBDIR} "${pkgconfig_folders}")
