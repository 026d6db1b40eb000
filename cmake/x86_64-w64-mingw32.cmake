# The saver's sources as an x86-64 Windows program: a test build only, for the
# Wine suites where the kernel runs no 32-bit code and 64-bit Wine still runs.
# aurilo.scr itself is always the i686 build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_target x86_64-w64-mingw32)

# As the i686 build, but with unwind tables: 64-bit Windows walks the stack by them.
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -fno-rtti -fno-math-errno -ffunction-sections -fdata-sections")

include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
