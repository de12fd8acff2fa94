# Read by cpack before it stages a download (CPACK_PROJECT_CONFIG_FILE):
# the time of the source, for every file of the download. strip reads it too
# and writes it into the program's header in place of the time it runs.
include(${CMAKE_CURRENT_LIST_DIR}/SourceDateEpoch.cmake)
source_date_epoch(epoch "${CPACK_ANALYSER_SOURCE_DIR}")
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
