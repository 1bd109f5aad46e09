# CPack's pre-build script for a signed zip (packaging/windows/sign.py adds it): signs the program in CPack's
# staging folder, stripped as it goes into the zip, before CPack packs the folder. sign.py passes the
# Python that runs it as TOLVANE_PYTHON, and the signing variables through the environment.
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_DIRECTORY}/*.exe")
if(NOT programs)
    message(FATAL_ERROR "No program to sign in ${CPACK_TEMPORARY_DIRECTORY}")
endif()
execute_process(COMMAND "${TOLVANE_PYTHON}" "${CMAKE_CURRENT_LIST_DIR}/sign.py" files ${programs}
                COMMAND_ERROR_IS_FATAL ANY)
