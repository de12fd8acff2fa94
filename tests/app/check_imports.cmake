# cmake -DOBJDUMP=... -DPROGRAM=... -P check_imports.cmake
# Fails unless the program imports system DLLs only (a static link leaves no
# libgcc, libstdc++ or winpthread DLL behind).
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump failed on ${PROGRAM}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
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
