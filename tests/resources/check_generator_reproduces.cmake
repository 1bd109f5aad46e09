# Runs the picture generator into a scratch folder and fails unless every file equals the committed one
# byte for byte. Run as `cmake -DGENERATOR=<make_pictures> -DCOMMITTED=<resources> -DSCRATCH=<dir> -P ...`.
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")

execute_process(COMMAND "${GENERATOR}" "${SCRATCH}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "make_pictures failed: ${result}")
endif()

set(differing)
foreach(picture background.jpg tolvane.ico girl.bmp boy.bmp
                tolvane-48.png tolvane-64.png tolvane-128.png tolvane-256.png)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${SCRATCH}/${picture}" "${COMMITTED}/${picture}"
                    RESULT_VARIABLE same)
    if(NOT same EQUAL 0)
        list(APPEND differing ${picture})
    endif()
endforeach()
if(differing)
    message(FATAL_ERROR "The generator no longer draws the committed ${differing}; "
                        "run the `pictures` target and look at the result before committing it")
endif()
file(REMOVE_RECURSE "${SCRATCH}")
