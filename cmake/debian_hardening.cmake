# Builds the Linux program as Debian builds its own packages: with the hardening flags dpkg-buildflags
# gives under DEB_BUILD_MAINT_OPTIONS=hardening=+all (stack protector, _FORTIFY_SOURCE, relro and immediate
# binding, and where the release's dpkg adds them, as Debian 13's does, stack-clash and control-flow
# protection). Asking dpkg-buildflags rather than writing the flags here keeps them those of the release
# that builds: Debian 12's C start-up files lack the control-flow marks, so a program linked there
# cannot carry them whatever its own code is compiled with.
# Optimisation and debug flags stay the build type's, so only the hardening and the warnings it brings
# are taken. Off where there is no dpkg-buildflags, and in builds whose own instrumentation it would
# disturb (the sanitizer and fuzzer presets turn TOLVANE_HARDENING off).
option(TOLVANE_HARDENING "Build with the hardening flags of dpkg-buildflags (hardening=+all)" ON)
if(NOT TOLVANE_HARDENING OR WIN32 OR CMAKE_CROSSCOMPILING)
    return()
endif()
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
    message(STATUS "dpkg-buildflags not found: building without Debian's hardening flags")
    return()
endif()

function(tolvane_dpkg_buildflags variable output)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                ${DPKG_BUILDFLAGS} --get ${variable}
        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    # -O2 and -g belong to the build type; -ffile-prefix-map names the folder that dpkg-buildflags ran in.
    list(FILTER flags EXCLUDE REGEX "^-O|^-g|^-ffile-prefix-map=")
    set(${output} ${flags} PARENT_SCOPE)
endfunction()

tolvane_dpkg_buildflags(CPPFLAGS hardening_cppflags)
tolvane_dpkg_buildflags(CXXFLAGS hardening_cxxflags)
tolvane_dpkg_buildflags(LDFLAGS hardening_ldflags)
message(STATUS "Hardening flags: ${hardening_cppflags} ${hardening_cxxflags} ${hardening_ldflags}")

# _FORTIFY_SOURCE needs the optimiser (glibc warns without it, and warnings are errors), so only the
# optimised build types get it.
set(optimised $<OR:$<CONFIG:Release>,$<CONFIG:RelWithDebInfo>,$<CONFIG:MinSizeRel>>)
foreach(flag IN LISTS hardening_cppflags)
    if(flag MATCHES "^-D_FORTIFY_SOURCE")
        add_compile_options($<${optimised}:${flag}>)
    else()
        add_compile_options(${flag})
    endif()
endforeach()
add_compile_options(${hardening_cxxflags})
# For the package test, which checks the packaged program against them.
set(TOLVANE_HARDENING_FLAGS ${hardening_cppflags} ${hardening_cxxflags} ${hardening_ldflags})
add_link_options(${hardening_ldflags})
