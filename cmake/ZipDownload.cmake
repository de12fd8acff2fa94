# Run by CPack's External generator (cmake/Packaging.cmake) once it has
# staged the stripped installation in CPACK_TEMPORARY_DIRECTORY: writes
# CPACK_ANALYSER_DIST_DIR/CPACK_PACKAGE_FILE_NAME.zip, one top folder of that
# name, with bytes that depend on the files alone. Every entry carries the
# time of source_date_epoch, the files are stored in the order of their
# names, each with fixed permissions, and without owners or the times of
# access and inode change.
#
# CPack's ZIP generator and `cmake -E tar --format=zip` (libarchive) cannot
# do this: they store each file's access and inode-change times beside its
# modification time, and no command can set an inode-change time. Info-ZIP's
# zip with -X stores the DOS time and the permissions alone.
include(${CMAKE_CURRENT_LIST_DIR}/SourceDateEpoch.cmake)
source_date_epoch(epoch "${CPACK_ANALYSER_SOURCE_DIR}")

set(stage "${CPACK_TEMPORARY_DIRECTORY}")
set(name "${CPACK_PACKAGE_FILE_NAME}")
get_filename_component(parent "${stage}" DIRECTORY)
if(NOT IS_DIRECTORY "${parent}/${name}")
  message(FATAL_ERROR "the staged installation is not in ${parent}/${name}")
endif()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${parent}" "${parent}/${name}/*")
list(SORT files)
foreach(file ${files})
  if(file MATCHES "\\.exe$")
    file(CHMOD "${parent}/${file}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  else()
    file(CHMOD "${parent}/${file}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
  execute_process(COMMAND touch -d "@${epoch}" "${parent}/${file}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()

file(MAKE_DIRECTORY "${CPACK_ANALYSER_DIST_DIR}")
set(zip "${CPACK_ANALYSER_DIST_DIR}/${name}.zip")
file(REMOVE "${zip}")
# zip writes DOS times, which are local times: in UTC they read as the epoch.
set(ENV{TZ} UTC0)
execute_process(COMMAND ${CPACK_ANALYSER_ZIP} -X -D -q -9 "${zip}" ${files}
                WORKING_DIRECTORY "${parent}" COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "${zip}: ${files}, all dated ${epoch}")
