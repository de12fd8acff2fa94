# Links the product's objects (OBJECTS, separated by |, each function and
# variable in a section of its own) into OUTPUT with --gc-sections and fails
# naming every function or variable of ours that the linker drops: nothing
# reached from the program's entry refers to it. The names in HOOKS, one a
# line as c++filt writes them (# starts a comment), are the test hooks: kept
# for the tests alone, and so expected here. NM lists each object's symbols,
# with SYMBOL_PREFIX before each name where the target prefixes one (i686).
cmake_minimum_required(VERSION 3.25)

string(REPLACE "|" ";" objects "${OBJECTS}")
execute_process(
  COMMAND ${CXX} -static -mwindows -o ${OUTPUT} ${objects}
          -Wl,--gc-sections -Wl,--print-gc-sections -lgdi32 -luser32 -lcomctl32
  RESULT_VARIABLE linked ERROR_VARIABLE printed OUTPUT_VARIABLE printed_out)
if(NOT linked EQUAL 0)
  message(FATAL_ERROR "The product's objects did not link:\n${printed}")
endif()

file(STRINGS ${HOOKS} hook_lines)
set(hooks)
foreach(line IN LISTS hook_lines)
  string(REGEX REPLACE "#.*" "" line "${line}")
  string(STRIP "${line}" line)
  if(line)
    list(APPEND hooks "${line}")
  endif()
endforeach()

# The symbols each object gives the others, once for each object that
# defines them: a constant of a header or a function of an anonymous
# namespace is the object's own, and the compiler's warnings already name
# one that its file does not use.
set(globals)
foreach(object IN LISTS objects)
  execute_process(COMMAND ${NM} -g --defined-only ${object} OUTPUT_VARIABLE listed)
  string(REGEX MATCHALL "[^\n ]+\n" names "${listed}")
  foreach(name IN LISTS names)
    string(STRIP "${name}" name)
    # Not REGEX REPLACE: its "^" matches again after each replacement.
    if(SYMBOL_PREFIX AND name MATCHES "^${SYMBOL_PREFIX}")
      string(LENGTH "${SYMBOL_PREFIX}" skip)
      string(SUBSTRING "${name}" ${skip} -1 name)
    endif()
    list(APPEND globals "${name}")
  endforeach()
endforeach()

# "removing unused section '.text$_ZN3dsp6DeadFnEi' in file 'x.cpp.obj'":
# only our objects and their global symbols. An inline function has a copy in
# every object that uses it, and the linker drops all but one: it is dead only
# when every copy goes.
string(REPLACE "\n" ";" lines "${printed}")
set(removed)
foreach(line IN LISTS lines)
  if(line MATCHES "removing unused section '\\.[a-z]+\\$([^'\\[]+)[^']*' in file '([^']+)'")
    if(CMAKE_MATCH_2 IN_LIST objects AND CMAKE_MATCH_1 IN_LIST globals)
      list(APPEND removed "${CMAKE_MATCH_1}")
    endif()
  endif()
endforeach()
set(dead)
set(hooks_seen)
list(REMOVE_DUPLICATES removed)
foreach(symbol IN LISTS removed)
  set(copies ${globals})
  list(FILTER copies INCLUDE REGEX "^${symbol}$")
  set(gone ${lines})
  list(FILTER gone INCLUDE REGEX "\\$${symbol}'")
  list(LENGTH copies defined)
  list(LENGTH gone dropped)
  if(dropped LESS defined)
    continue()
  endif()
  execute_process(COMMAND ${CXXFILT} --no-strip-underscore ${symbol}
                  OUTPUT_VARIABLE name OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT name MATCHES "^(app|capture|commands|display|dsp|facts|winlayer)::")
    continue()
  endif()
  if(name IN_LIST hooks)
    list(APPEND hooks_seen "${name}")
  else()
    list(APPEND dead "${name}")
  endif()
endforeach()

# A hook that the product has come to use, or that is gone, leaves the list.
set(stale)
foreach(hook IN LISTS hooks)
  if(NOT hook IN_LIST hooks_seen)
    list(APPEND stale "${hook}")
  endif()
endforeach()

list(LENGTH dead dead_count)
list(LENGTH hooks_seen hook_count)
if(dead OR stale)
  list(JOIN dead "\n  " dead_text)
  list(JOIN stale "\n  " stale_text)
  message(FATAL_ERROR
    "Defined by the product and referenced by nothing in it (${dead_count}):\n  ${dead_text}\n"
    "Listed as test hooks in ${HOOKS} but not unreferenced: "
    "used by the product now, or gone:\n  ${stale_text}")
endif()
message(STATUS "Nothing dead: every function and variable of the product is reached, "
               "but for the ${hook_count} test hooks listed in ${HOOKS}")
