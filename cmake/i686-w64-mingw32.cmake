# Cross-compiling for 32-bit Windows with MinGW-w64. i686 without SSE2: the
# saver must run on Windows 9x machines, so the arithmetic is on the x87.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(mingw_target i686-w64-mingw32)

# No exceptions, no run-time type information, no unwind tables: the saver has
# no C++ runtime. errno is never read, so sqrt can be the x87 instruction.
# Functions in sections of their own, for the linker to drop the unused ones;
# data not: MinGW would give zeroed variables file space in .data$ sections.
# GCC 14 unswitches the row loops and clones functions for constant arguments:
# copies of the drawing loops that make the saver 2 KB larger for no gain.
set(CMAKE_CXX_FLAGS_INIT "-march=i686 -mfpmath=387 -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-math-errno -ffunction-sections -fno-unswitch-loops -fno-ipa-cp-clone")

include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
