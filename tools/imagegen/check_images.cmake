# Regenerates the images into OUTPUT and checks that each matches its committed copy in DATA
# byte for byte. Run by CTest with -DGENERATOR -DSERIF -DBOLD_SERIF -DOUTPUT -DDATA -DNAMES.
file(REMOVE_RECURSE ${OUTPUT})
file(MAKE_DIRECTORY ${OUTPUT})
execute_process(COMMAND ${GENERATOR} ${OUTPUT} ${SERIF} ${BOLD_SERIF} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "imagegen failed: ${result}")
endif()
set(differ "")
foreach(name ${NAMES})
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT}/${name} ${DATA}/${name}
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        list(APPEND differ ${name})
    endif()
endforeach()
if(differ)
    message(FATAL_ERROR "regenerated images differ from data/: ${differ}\n"
                        "(if the generator changed on purpose: cmake --build build --target images)")
endif()
file(REMOVE_RECURSE ${OUTPUT})
