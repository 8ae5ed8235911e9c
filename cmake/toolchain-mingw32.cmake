# Cross-compiles the Windows programs with mingw-w64 (i686, posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# SSE2 for arithmetic and the effects' vector code, as the x86_64 programs
# have it: floating point without the x87's excess precision, so that both
# programs compute the same geometry and frames (every processor Windows 8
# and later run on has SSE2). A 32-bit Windows keeps a thread's stack only
# 4-byte aligned where it calls the program back, so each function that
# keeps SSE2 values on its stack aligns it itself.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
