# Read by CPack before it stages and packs (CPACK_PROJECT_CONFIG_FILE), so that what it runs and writes
# sees the same environment whoever packages: the time the files of the Debian package and the zip are
# dated with (CPack's own reading of SOURCE_DATE_EPOCH), which strip also stamps the Windows program's PE
# header with (Debian's MinGW-w64 binutils), and UTC, in which the zip's entries keep their local times.
include(${CPACK_TOLVANE_SOURCE_DIR}/cmake/source_date_epoch.cmake)
tolvane_source_date_epoch(${CPACK_TOLVANE_SOURCE_DIR} epoch)
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
set(ENV{TZ} UTC)
