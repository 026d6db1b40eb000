# The engine with the saver's own arithmetic and code generation (i686, x87,
# the same flags, no position-independent code) but for Linux: for the golden
# frames and instruction counts where Wine is not at hand. qemu-i386 runs it
# on any x86-64 kernel, also on those that run no 32-bit code themselves.
# Debian's i686 cross compiler rather than gcc -m32: gcc-multilib conflicts
# with every cross compiler, the arm64 one among them.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_CXX_FLAGS_INIT "-march=i686 -mfpmath=387 -fno-pie -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-math-errno")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-no-pie -static")

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)

# The engine alone: no i386 libraries for the renderer and the front ends.
set(AURILO_ENGINE_ONLY ON)
