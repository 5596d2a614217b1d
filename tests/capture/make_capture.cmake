# Makes a capture that the capture tests look at: cmake -DCAPTURE=... -DSOURCE_DIR=...
# -DFOLDER=... -DFPS=... -DSIZE=WxH [-DSHEET=ON] -P make_capture.cmake. A small one, with DISPLAY
# unset: FOLDER/out holds what it writes (show.mp4, and sheet.png with SHEET),
# FOLDER/capture.stdout and .stderr its output.
file(REMOVE_RECURSE ${FOLDER})
file(MAKE_DIRECTORY ${FOLDER}/out)
set(sheet_option)
if(SHEET)
    set(sheet_option --sheet ${FOLDER}/out/sheet.png)
endif()
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
            ${CAPTURE} ${FOLDER}/out/show.mp4 --fps ${FPS} --size ${SIZE} ${sheet_option}
    WORKING_DIRECTORY ${SOURCE_DIR}
    OUTPUT_FILE ${FOLDER}/capture.stdout
    ERROR_FILE ${FOLDER}/capture.stderr
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    file(READ ${FOLDER}/capture.stderr errors)
    message(FATAL_ERROR "veskop-capture ended with ${status}:\n${errors}")
endif()
