# Turns one file into the body of a C++ byte-array initialiser: hex literals, 16 to a line, each followed
# by a comma. Run as `cmake -DINPUT=<file> -DOUTPUT=<file.inc> -P embed_bytes.cmake`; the result is meant
# to be included between the braces of `const unsigned char bytes[] = { ... };`.
if(NOT DEFINED INPUT OR NOT DEFINED OUTPUT)
    message(FATAL_ERROR "embed_bytes.cmake needs -DINPUT=<file> and -DOUTPUT=<file>")
endif()

file(READ "${INPUT}" hex HEX)
if(hex STREQUAL "")
    # An empty initialiser would not compile, and an empty picture is a broken checkout anyway.
    message(FATAL_ERROR "${INPUT} is empty")
endif()

# Two regular-expression passes keep this fast even for a megabyte: first cut the hex text into lines of
# 16 bytes, then turn every byte into a literal.
string(REPEAT "[0-9a-f]" 32 sixteen_bytes)
string(REGEX REPLACE "(${sixteen_bytes})" "\\1\n" lines "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," literals "${lines}")

get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}" "// The bytes of ${name}, written at build time.\n${literals}\n")
