# cmake -DOBJDUMP=... -DWINDRES=... -DMACHINE=i386|x86-64 -DPROGRAM=...
#       [-DOTHERS="a.exe;b.exe"] -P check_program.cmake
# Checks a built Windows program without running it, so that a build that
# cannot run on this host is still checked: PROGRAM must be a GUI image of
# MACHINE (PE32 for i386, PE32+ for x86-64) that imports system DLLs only (a
# static link leaves no libgcc, libstdc++ or winpthread DLL behind) and
# carries the icon, cursor, version and a manifest naming its architecture.
# Each of OTHERS must be an image of MACHINE.
if(MACHINE STREQUAL "i386")
  set(format pei-i386)
  set(magic "010b")
  set(manifest_arch x86)
elseif(MACHINE STREQUAL "x86-64")
  set(format pei-x86-64)
  set(magic "020b")
  set(manifest_arch amd64)
else()
  message(FATAL_ERROR "MACHINE must be i386 or x86-64, not '${MACHINE}'")
endif()

function(dump file option out)
  execute_process(COMMAND ${OBJDUMP} ${option} ${file} OUTPUT_VARIABLE text RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "objdump ${option} failed on ${file}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(expect_format file)
  dump(${file} -f header)
  if(NOT header MATCHES "file format ${format}")
    message(FATAL_ERROR "${file} is not a ${format} image")
  endif()
endfunction()

expect_format(${PROGRAM})
dump(${PROGRAM} -p private)
if(NOT private MATCHES "Magic[ \t]+${magic}")
  message(FATAL_ERROR "${PROGRAM}: optional header magic is not ${magic}")
endif()
if(NOT private MATCHES "Subsystem[ \t]+00000002")
  message(FATAL_ERROR "${PROGRAM} is not a GUI program")
endif()

string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${private}")
if(NOT lines)
  message(FATAL_ERROR "no imports found in ${PROGRAM}")
endif()
set(system KERNEL32.DLL USER32.DLL GDI32.DLL COMCTL32.DLL WINMM.DLL SHELL32.DLL
           ADVAPI32.DLL MSVCRT.DLL)
foreach(line ${lines})
  string(REPLACE "DLL Name: " "" name "${line}")
  string(TOUPPER "${name}" name)
  list(FIND system "${name}" index)
  if(index EQUAL -1)
    message(FATAL_ERROR "${PROGRAM} imports ${name}, which is not a system DLL")
  endif()
  message(STATUS "imports ${name}")
endforeach()

# windres lists the resources it reads back from the image, one per header.
execute_process(COMMAND ${WINDRES} -i ${PROGRAM} -O rc OUTPUT_VARIABLE resources
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "windres could not read the resources of ${PROGRAM}")
endif()
foreach(header "\"ICON1\" 14 " "\"CURSOR1\" 12 " "1 1 " "1 3 " "1 VERSIONINFO" "1 24 ")
  string(FIND "${resources}" "\n${header}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "${PROGRAM} lacks the resource '${header}'")
  endif()
endforeach()
file(STRINGS ${PROGRAM} architectures REGEX "processorArchitecture=\"[^\"]*\"")
string(REGEX MATCHALL "processorArchitecture=\"[^\"]*\"" named "${architectures}")
list(REMOVE_DUPLICATES named)
if(NOT named STREQUAL "processorArchitecture=\"${manifest_arch}\"")
  message(FATAL_ERROR "${PROGRAM}: the manifest names ${named}, not ${manifest_arch} alone")
endif()
message(STATUS "${PROGRAM}: ${format}, GUI, resources and manifest for ${manifest_arch}")

foreach(other ${OTHERS})
  expect_format(${other})
endforeach()
list(LENGTH OTHERS count)
message(STATUS "${count} more images are ${format}")
