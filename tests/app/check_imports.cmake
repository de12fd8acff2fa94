# cmake -DOBJDUMP=... -DMACHINE=i386|x86-64 -DPROGRAM=... -DLIST=xp_imports.txt
#       -P check_imports.cmake
# Checks that a Windows program loads on the oldest Windows of its build,
# without running it: every function it imports must be in LIST, the
# reviewed list of what Windows XP SP3 (and, for x86-64 only, XP x64)
# exports, per DLL. An import that is not listed, or listed as Vista, fails.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump -p failed on ${PROGRAM}")
endif()

set(allowed 2000 XP crt)
if(MACHINE STREQUAL "x86-64")
  list(APPEND allowed x64)
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
message(STATUS "${PROGRAM}: all ${count} imported functions are in the reviewed list for ${MACHINE}")
