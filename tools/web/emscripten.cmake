# Builds for the web page with Debian's Emscripten (WebAssembly, no threads). Libraries are found
# only in Emscripten's own tree and in the folders listed in VESKOP_WEB_LIBRARIES (the libraries
# tools/web/build_libraries.sh builds).
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

list(PREPEND CMAKE_FIND_ROOT_PATH ${VESKOP_WEB_LIBRARIES})
# try_compile reads this file again, in a project of its own.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VESKOP_WEB_LIBRARIES)

# Emscripten's JavaScript tools, run by its compilers and above all by its linker, need Debian's
# node modules (acorn), whoever starts the build.
foreach(language C CXX)
    set(CMAKE_${language}_COMPILER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
    set(CMAKE_${language}_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
endforeach()

# pkg-config sees the web libraries only, never the build machine's.
set(pkgconfig_folders)
foreach(root IN LISTS VESKOP_WEB_LIBRARIES)
    list(APPEND pkgconfig_folders ${root}/lib/pkgconfig)
endforeach()
string(REPLACE ";" ":" pkgconfig_folders "${pkgconfig_folders}")
set(ENV{PKG_CONFIG_LIBDIR} "${pkgconfig_folders}")
