# Makes the capture that the capture tests look at: cmake -DCAPTURE=... -DSOURCE_DIR=...
# -DFOLDER=... -P make_capture.cmake. A small, low-rate one, with DISPLAY unset: FOLDER/out holds
# what it writes, FOLDER/capture.stdout and .stderr its output.
file(REMOVE_RECURSE ${FOLDER})
file(MAKE_DIRECTORY ${FOLDER}/out)
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
            ${CAPTURE} ${FOLDER}/out/show.mp4 --fps 10 --size 160x120 --sheet ${FOLDER}/out/sheet.png
    WORKING_DIRECTORY ${SOURCE_DIR}
    OUTPUT_FILE ${FOLDER}/capture.stdout
    ERROR_FILE ${FOLDER}/capture.stderr
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    file(READ ${FOLDER}/capture.stderr errors)
    message(FATAL_ERROR "veskop-capture ended with ${status}:\n${errors}")
endif()
