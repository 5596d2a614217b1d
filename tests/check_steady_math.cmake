# Fails when a generator of committed files calls one of the C library's elementary functions:
# their results may differ in the last bit between machines, and the committed files would then
# not be reproduced there. The generators' own functions (tools/imagegen/steady_math.h) do not.
#   cmake "-DPROGRAMS=<program|program|...>" -P check_steady_math.cmake
cmake_minimum_required(VERSION 3.25)
set(inexact sin cos tan sincos asin acos atan atan2 sinh cosh tanh asinh acosh atanh exp exp2
    exp10 expm1 log log2 log10 log1p pow hypot cbrt erf erfc lgamma tgamma)
string(REPLACE "|" ";" programs "${PROGRAMS}")
foreach(program ${programs})
    execute_process(COMMAND nm --undefined-only "${program}" OUTPUT_VARIABLE symbols
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "nm cannot read ${program}")
    endif()
    foreach(name ${inexact})
        if(symbols MATCHES "U (${name}|${name}f|${name}l)(@|\n)")
            message(SEND_ERROR "${program} calls the C library's ${CMAKE_MATCH_1}; use steady_math.h")
        endif()
    endforeach()
endforeach()
