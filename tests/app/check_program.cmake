# cmake -DOBJDUMP=... -DWINDRES=... -DMACHINE=i386|x86-64 -DPROGRAM=...
#       [-DOTHERS="a.exe;b.exe"] -P check_program.cmake
# Checks a built Windows program without running it, so that a build that
# cannot run on this host is still checked: PROGRAM must be a GUI image of
# MACHINE (PE32 for i386, PE32+ for x86-64) that imports system DLLs only (a
# static link leaves no libgcc, libstdc++ or winpthread DLL behind) and
# carries the icon, cursor, version and the manifest check_manifest.py
# expects for its architecture.
# Each of OTHERS must be an image of MACHINE.
cmake_minimum_required(VERSION 3.25)
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
# Only DLLs that Windows loads from its own folder whatever lies beside the
# program: its known DLLs, and COMCTL32, which the manifest takes from the
# side-by-side store. Any other import (WINMM among them) would be looked for
# in the program's folder first; the program loads those by full path.
set(system KERNEL32.DLL USER32.DLL GDI32.DLL COMCTL32.DLL SHELL32.DLL
           ADVAPI32.DLL MSVCRT.DLL)
foreach(line ${lines})
  string(REPLACE "DLL Name: " "" name "${line}")
  string(TOUPPER "${name}" name)
  list(FIND system "${name}" index)
  if(index EQUAL -1)
    message(FATAL_ERROR "${PROGRAM} imports ${name}, which Windows may load from "
                        "beside the program")
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
# The manifest as the program carries it, read back by windres and parsed
# by check_manifest.py.
set(res "${PROGRAM}.resources.res")
execute_process(COMMAND ${WINDRES} -i ${PROGRAM} -O res -o ${res} RESULT_VARIABLE failed)
if(NOT failed)
  execute_process(COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/check_manifest.py ${res} ${manifest_arch}
                  RESULT_VARIABLE failed)
endif()
file(REMOVE ${res})
if(failed)
  message(FATAL_ERROR "${PROGRAM}: the manifest is wrong or unreadable")
endif()
message(STATUS "${PROGRAM}: ${format}, GUI, resources and manifest for ${manifest_arch}")

# i386: what runs before start-up has asked for SSE2 must not use SSE (an
# xmm register), or a processor without it stops with an illegal instruction
# and no word of why: WinMain, app::RunProgram (what it calls after its
# check may), the warning it gives without SSE2, and each static constructor (GCC's _GLOBAL__sub_I_) with all
# it calls and jumps to, directly. The C runtime's start comes compiled for
# any i686.
if(MACHINE STREQUAL "i386")
  string(REGEX REPLACE "objdump$" "nm" NM "${OBJDUMP}")
  execute_process(COMMAND ${NM} ${PROGRAM} OUTPUT_VARIABLE symbols)
  string(REGEX MATCHALL "[^ \n]*_GLOBAL__sub_I_[^\n]*" constructors "${symbols}")
  set(leaves _WinMain@16 __ZN3app10RunProgramEv __ZN8winlayer4WarnEPKc)
  set(queue ${leaves} ${constructors})
  set(seen "")
  while(queue)
    list(POP_FRONT queue name)
    if(name IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${name})
    dump(${PROGRAM} "-d;--disassemble=${name}" code)
    string(FIND "${code}" "<${name}>:" found)
    if(found EQUAL -1 OR code MATCHES "%xmm")
      message(FATAL_ERROR "${PROGRAM}: ${name}, which runs before the SSE2 check, "
                          "is missing or uses SSE")
    endif()
    if(NOT name IN_LIST leaves)
      string(REGEX MATCHALL "(call|jmp) +[0-9a-f]+ <[^>+]+" calls "${code}")
      list(TRANSFORM calls REPLACE "^(call|jmp) +[0-9a-f]+ <" "")
      list(APPEND queue ${calls})
    endif()
  endwhile()
  list(LENGTH seen count)
  message(STATUS "${PROGRAM}: no SSE before the SSE2 check in ${count} functions")
endif()

foreach(other ${OTHERS})
  expect_format(${other})
endforeach()
list(LENGTH OTHERS count)
message(STATUS "${count} more images are ${format}")
