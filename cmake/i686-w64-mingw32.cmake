# Cross toolchain: 32-bit Windows, the product.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLET i686-w64-mingw32)
# SSE2 scalar maths: the same single-precision results as the x86-64 builds,
# bit for bit (x87 differs in the last bits).
set(MINGW_FP_FLAGS "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
