# -DVESKOP_SANITIZE=ON builds every target with AddressSanitizer (LeakSanitizer included) and
# UndefinedBehaviorSanitizer. Any finding ends the program with an error status, so a test that
# meets one fails. Every executable carries the runtime options and the leak suppressions
# (tests/sanitize/sanitizer_options.cpp), so tests, the programs they start and a run by hand
# all behave alike; ASAN_OPTIONS, LSAN_OPTIONS and UBSAN_OPTIONS given at run time still win.
option(VESKOP_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(VESKOP_SANITIZE)
    set(VESKOP_SANITIZERS -fsanitize=address,undefined)
    # -O1 and line tables only: quicker to build than the default optimisation and full debug
    # information, and all that a symbolised stack trace needs.
    add_compile_options(${VESKOP_SANITIZERS} -fno-sanitize-recover=all -fno-omit-frame-pointer
                        -O1 -g1)
    add_link_options(${VESKOP_SANITIZERS})

    add_library(veskop_sanitizer_options OBJECT ${PROJECT_SOURCE_DIR}/tests/sanitize/sanitizer_options.cpp)
    target_compile_definitions(veskop_sanitizer_options PRIVATE
        VESKOP_LSAN_SUPPRESSIONS="${PROJECT_SOURCE_DIR}/tests/sanitize/lsan.supp")
    link_libraries($<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:veskop_sanitizer_options>)
endif()
