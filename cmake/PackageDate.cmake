# Read by cpack before it packs. CPack gives every file in the package the time
# SOURCE_DATE_EPOCH; when the environment does not set it, it is the time of the last
# commit, so any two builds of one commit give byte-identical packages.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND git log -1 --format=%ct
        WORKING_DIRECTORY "${CPACK_COMETS_SOURCE_DIR}"
        OUTPUT_VARIABLE commit_time
        OUTPUT_STRIP_TRAILING_WHITESPACE
        RESULT_VARIABLE git_status
        ERROR_QUIET)
    if(git_status EQUAL 0 AND commit_time MATCHES "^[0-9]+$")
        set(ENV{SOURCE_DATE_EPOCH} "${commit_time}")
    else()
        message(WARNING "Neither SOURCE_DATE_EPOCH nor a git history: the package takes the "
                        "build's file times and will not be reproducible.")
    endif()
endif()
