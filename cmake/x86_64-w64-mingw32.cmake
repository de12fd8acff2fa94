# Cross toolchain: 64-bit Windows, the same program for x64 systems. SSE2 is
# the x86-64 default, so no floating-point flags beyond the shared ones.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
set(MINGW_FP_FLAGS "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
