# source_date_epoch(OUT SOURCE_DIR): the time every file of a download
# carries, in seconds since 1970 (UTC): SOURCE_DATE_EPOCH when it is set,
# else the time of the last commit of SOURCE_DIR, else (a tree without git)
# 2011-01-01 00:00:00 UTC. The same source then gives the same bytes at any
# build time. As a script (cmake -DSOURCE_DIR=... -P SourceDateEpoch.cmake)
# it prints the time, for the checks of the downloads.
function(source_date_epoch out source_dir)
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
  if(epoch STREQUAL "")
    execute_process(COMMAND git -C "${source_dir}" log -1 --format=%ct
                    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed ERROR_QUIET)
    if(failed OR NOT epoch MATCHES "^[0-9]+$")
      set(epoch 1293840000)
    endif()
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
