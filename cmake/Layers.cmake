# veskop_layer(NAME FOLDER SOURCES...): one layer of the program, src/FOLDER, as two targets:
#   veskop_NAME          its code, a static library;
#   veskop_NAME_headers  its headers, through which the code above includes them as "FOLDER/...".
# A layer's include root holds a link to its own folder and nothing else, and a layer gets the
# roots only of the layers whose _headers it links, all of them below it: so a header of a higher
# layer cannot be included from a lower one; the build fails. A layer links the headers of the one
# below, not its code, so that a test can put a stand-in of its own beneath a layer by linking it
# in place of the layer's library.
function(veskop_layer name folder)
    set(root ${PROJECT_BINARY_DIR}/layers/${name})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
    add_library(veskop_${name}_headers INTERFACE)
    target_include_directories(veskop_${name}_headers INTERFACE ${root})
    add_library(veskop_${name} STATIC ${ARGN})
    target_link_libraries(veskop_${name} PUBLIC veskop_${name}_headers)
endfunction()
