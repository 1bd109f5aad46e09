# What the compilers and linkers would otherwise write of the machine that builds into the programs: the
# source and build folders (into the debug information the Linux program keeps in the build), and for
# Windows programs the time of linking (into the PE header). Without them the same source makes the same
# programs in any folder at any time (docs/reproducible-builds.md).
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    # GCC and Clang apply the last map that matches, so the build folder's comes second: it is one of the
    # source folder's (build/<preset>) or, elsewhere, named as if it were.
    get_filename_component(build_folder ${PROJECT_BINARY_DIR} NAME)
    add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
                        "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=./build/${build_folder}>")
endif()
if(MINGW)
    # A zero time stamp; stripping for the packages stamps SOURCE_DATE_EPOCH there (Debian's binutils).
    add_link_options(-Wl,--no-insert-timestamp)
endif()
