# source_date_epoch(OUT SOURCE_DIR): the time every file of a download
# carries, in seconds since 1970 (UTC): SOURCE_DATE_EPOCH when it is set,
# else the time of the last commit of SOURCE_DIR when it holds .git, else (a
# tree without git, such as an unpacked archive) 2011-01-01 00:00:00 UTC. The
# same source then gives the same bytes at any build time. As a script
# (cmake -DSOURCE_DIR=... -P SourceDateEpoch.cmake) it prints the time, for
# the checks of the downloads.
#
# A clone whose git cannot answer stops the build rather than fall back: the
# clone of another user, which git refuses as of "dubious ownership", would
# otherwise be dated 2011 while the same commit built by its owner carries
# the commit's time, and the two downloads would differ.
function(source_date_epoch out source_dir)
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
  if(epoch STREQUAL "" AND EXISTS "${source_dir}/.git")
    execute_process(COMMAND git -C "${source_dir}" log -1 --format=%ct
                    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_VARIABLE error ERROR_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0 OR NOT epoch MATCHES "^[0-9]+$")
      message(FATAL_ERROR
        "${source_dir} is a git clone, but `git log -1 --format=%ct` there "
        "gave no commit time (exit: ${result}; output: '${epoch}'):\n"
        "${error}\n"
        "A download is dated at its last commit. Let git read the clone, "
        "for instance where it is another user's:\n"
        "  git config --global --add safe.directory ${source_dir}\n"
        "or set SOURCE_DATE_EPOCH to the commit's time (seconds since 1970).")
    endif()
  elseif(epoch STREQUAL "")
    set(epoch 1293840000)
  endif()
  if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH is '${epoch}', not a number of seconds")
  endif()
  set(${out} ${epoch} PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  source_date_epoch(epoch "${SOURCE_DIR}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${epoch}")
endif()
