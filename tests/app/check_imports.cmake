# cmake -DOBJDUMP=... -DMACHINE=i386|x86-64 -DPROGRAM=... -DLIST=xp_imports.txt
#       -P check_imports.cmake
# Checks that a Windows program loads on the oldest Windows of its build,
# without running it: its subsystem version must be at most that Windows'
# (5.1 for i386, 5.2 for x86-64), and every function it imports in LIST, the
# reviewed list of what Windows XP SP3 (and, for x86-64 only, XP x64)
# exports, per DLL. An import that is not listed, or listed as Vista, fails.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump -p failed on ${PROGRAM}")
endif()

set(allowed 2000 XP crt)
set(oldest 5.1)
if(MACHINE STREQUAL "x86-64")
  list(APPEND allowed x64)
  set(oldest 5.2)
endif()

# The loader also refuses a program that asks for a later subsystem version.
if(NOT dump MATCHES "MajorSubsystemVersion\t([0-9]+)\nMinorSubsystemVersion\t([0-9]+)")
  message(FATAL_ERROR "no subsystem version found in ${PROGRAM}")
endif()
set(subsystem ${CMAKE_MATCH_1}.${CMAKE_MATCH_2})
if(subsystem VERSION_GREATER oldest)
  message(FATAL_ERROR "${PROGRAM} asks for subsystem version ${subsystem}, "
                      "more than Windows ${oldest} has")
endif()
file(STRINGS ${LIST} rows REGEX "^[A-Z0-9]+\\.DLL ")
foreach(row ${rows})
  string(REGEX MATCH "^([^ ]+) +([^ ]+) +([^ ]+)" row "${row}")
  set(minimum_${CMAKE_MATCH_1}_${CMAKE_MATCH_2} ${CMAKE_MATCH_3})
endforeach()

# objdump lists each DLL ("DLL Name: ...") and then its functions, one per
# line: address, hint, name.
string(REPLACE "\n" ";" lines "${dump}")
set(dll "")
set(count 0)
set(refused "")
foreach(line ${lines})
  if(line MATCHES "DLL Name: (.+)$")
    string(TOUPPER "${CMAKE_MATCH_1}" dll)
  elseif(dll AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+ +([A-Za-z_][A-Za-z0-9_@]*)$")
    set(function ${CMAKE_MATCH_1})
    math(EXPR count "${count} + 1")
    set(minimum "${minimum_${dll}_${function}}")
    if(minimum STREQUAL "")
      list(APPEND refused "${dll} ${function} is not in the reviewed list")
    elseif(NOT minimum IN_LIST allowed)
      list(APPEND refused "${dll} ${function} needs Windows ${minimum}")
    endif()
  endif()
endforeach()

if(count EQUAL 0)
  message(FATAL_ERROR "no imported functions found in ${PROGRAM}")
endif()
if(refused)
  list(JOIN refused "\n  " text)
  message(FATAL_ERROR "${PROGRAM} would not load on Windows XP:\n  ${text}\n"
                      "(review each against Microsoft's documented minimum and add it to ${LIST})")
endif()
message(STATUS "${PROGRAM}: subsystem version ${subsystem}, all ${count} imported "
               "functions in the reviewed list for ${MACHINE}")
