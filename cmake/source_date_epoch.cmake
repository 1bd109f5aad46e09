# The time a build of this source writes wherever what it makes holds a time (the packages' file times,
# the Windows Installer package's summary, the PE header of the stripped Windows programs), so that the
# same source makes the same bytes: SOURCE_DATE_EPOCH where it is set (reproducible-builds.org's rule for
# build tools); else the time of the last commit; else, in a copy without git's history (a tarball), the
# date of the latest entry of packaging/linux/changelog, which each release updates.
#
# Included, it defines tolvane_source_date_epoch(SOURCE_DIR RESULT). Run as
# `cmake -DTOLVANE_SOURCE_DIR=<dir> -DTOLVANE_EPOCH_OUTPUT=<file> -P source_date_epoch.cmake`, it writes
# the time to the file, and leaves the file untouched while the time is the same, so that only a new
# time rebuilds what depends on it.

# Days since 1970-01-01 of a date of the proleptic Gregorian calendar (after the year 0).
function(tolvane_days_from_civil year month day result)
    if(month LESS_EQUAL 2)
        math(EXPR year "${year} - 1")
        math(EXPR month "${month} + 9")
    else()
        math(EXPR month "${month} - 3")
    endif()
    math(EXPR era "${year} / 400")
    math(EXPR year_of_era "${year} - ${era} * 400")
    math(EXPR day_of_year "(153 * ${month} + 2) / 5 + ${day} - 1")
    math(EXPR day_of_era "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
    math(EXPR days "${era} * 146097 + ${day_of_era} - 719468")
    set(${result} ${days} PARENT_SCOPE)
endfunction()

# The time of the changelog's first (latest) entry, from its trailer line's RFC 2822 date.
function(tolvane_changelog_epoch changelog result)
    file(STRINGS "${changelog}" trailers REGEX "^ -- .*  [A-Z][a-z][a-z], ")
    list(GET trailers 0 latest)
    set(date_regex "([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ([0-9][0-9]):([0-9][0-9]):([0-9][0-9])")
    if(NOT latest MATCHES "${date_regex} ([+-])([0-9][0-9])([0-9][0-9])$")
        message(FATAL_ERROR "${changelog}: no date in the latest entry's trailer line: ${latest}")
    endif()
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(FIND months "${CMAKE_MATCH_2}" month)
    math(EXPR month "${month} + 1")
    set(sign ${CMAKE_MATCH_7})
    foreach(field 1 3 4 5 6 8 9)
        set(value${field} ${CMAKE_MATCH_${field}})
    endforeach()
    # Leading zeros go: math() would read "08" as octal.
    foreach(field 1 3 4 5 6 8 9)
        string(REGEX REPLACE "^0+([0-9])" "\\1" value${field} "${value${field}}")
    endforeach()
    tolvane_days_from_civil(${value3} ${month} ${value1} days)
    math(EXPR epoch "${days} * 86400 + ${value4} * 3600 + ${value5} * 60 + ${value6}
                     - (${sign}1) * (${value8} * 3600 + ${value9} * 60)")
    set(${result} ${epoch} PARENT_SCOPE)
endfunction()

function(tolvane_source_date_epoch source_dir result)
    if(DEFINED ENV{SOURCE_DATE_EPOCH})
        set(${result} $ENV{SOURCE_DATE_EPOCH} PARENT_SCOPE)
        return()
    endif()
    find_program(TOLVANE_GIT git)
    if(TOLVANE_GIT)
        # Only the source's own history, not that of a repository it was unpacked in; safe.directory
        # lets a user other than the checkout's owner read it, as a build by another user must.
        execute_process(COMMAND ${TOLVANE_GIT} -c safe.directory=* -C ${source_dir} rev-parse --show-prefix
                        OUTPUT_VARIABLE prefix RESULT_VARIABLE failed ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT failed AND prefix STREQUAL "")
            execute_process(COMMAND ${TOLVANE_GIT} -c safe.directory=* -C ${source_dir} log -1 --format=%ct
                            OUTPUT_VARIABLE epoch RESULT_VARIABLE failed ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
            if(NOT failed AND epoch MATCHES "^[0-9]+$")
                set(${result} ${epoch} PARENT_SCOPE)
                return()
            endif()
        endif()
    endif()
    tolvane_changelog_epoch(${source_dir}/packaging/linux/changelog epoch)
    set(${result} ${epoch} PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE AND DEFINED TOLVANE_EPOCH_OUTPUT)
    tolvane_source_date_epoch(${TOLVANE_SOURCE_DIR} epoch)
    set(written "")
    if(EXISTS ${TOLVANE_EPOCH_OUTPUT})
        file(READ ${TOLVANE_EPOCH_OUTPUT} written)
    endif()
    if(NOT written STREQUAL "${epoch}\n")
        file(WRITE ${TOLVANE_EPOCH_OUTPUT} "${epoch}\n")
    endif()
endif()
