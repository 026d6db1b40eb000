# Cross-compiling for 32-bit Windows with MinGW-w64. i686 without SSE2: the
# saver must run on Windows 9x machines, so the arithmetic is on the x87.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_RC_FLAGS_INIT "-c 65001")

# No exceptions, no run-time type information, no unwind tables: the saver has
# no C++ runtime. errno is never read, so sqrt can be the x87 instruction.
set(CMAKE_CXX_FLAGS_INIT "-march=i686 -mfpmath=387 -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-math-errno -ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Windows test programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine-run)
