# Run by CPack once it has made a package (CPACK_POST_BUILD_SCRIPTS), for what CPack 3.25 and 3.31 write of
# who packages and cannot be told otherwise: the zip's entries carry the user's ids (libarchive's Info-ZIP
# Unix extra field), and the Debian package's ar members the permissions the umask gave CPack's own files.
# Debian's strip-nondeterminism zeroes the ids and sets the permissions, and dates the entries again with
# SOURCE_DATE_EPOCH (set by reproducible_cpack.cmake), which it would otherwise take for 1980.
find_program(STRIP_NONDETERMINISM strip-nondeterminism)
if(NOT STRIP_NONDETERMINISM)
    message(WARNING "strip-nondeterminism not found (Debian's strip-nondeterminism): the packages keep the ids"
                    " and umask of who packaged them")
    return()
endif()
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(package MATCHES "\\.deb$")
        set(options --normalizers=+ar --type ar) # a Debian package is an ar archive; not normalised by default
    else()
        set(options --type zip)
    endif()
    execute_process(COMMAND ${STRIP_NONDETERMINISM} ${options} --timestamp $ENV{SOURCE_DATE_EPOCH} ${package}
                    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
