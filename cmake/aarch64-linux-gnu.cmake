# Linux on arm64 with Debian's cross compiler: the renderer, the hack and the
# Wayland client against the arm64 libraries of multiarch (dpkg
# --add-architecture arm64), their tests under qemu-aarch64, the arm64 .deb.
# wayland-scanner is the host's.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# The arm64 .pc files only, never the host's.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)

# The C and C++ run-time from the cross toolchain, beside its own loader (the
# multiarch libc would come first, and may be another build); the other
# libraries from multiarch.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/aarch64-linux-gnu -E LD_LIBRARY_PATH=/usr/aarch64-linux-gnu/lib)
