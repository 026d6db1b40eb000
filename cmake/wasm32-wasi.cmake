# The portable engine as WebAssembly, with Debian's own toolchain: clang and
# lld (14 in Debian 12, 19 in Debian 13), wasi-libc and libc++ for wasm32. The
# module imports nothing: no start files, no entry point, no exceptions,
# nothing on the heap.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_SYSROOT /usr)

set(CMAKE_CXX_FLAGS_INIT "-nostdinc++ -isystem /usr/include/wasm32-wasi/c++/v1 -isystem /usr/include/wasm32-wasi -fno-exceptions -fno-rtti -fno-math-errno -msimd128 -mbulk-memory -mnontrapping-fptoint -msign-ext")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-nostartfiles -nodefaultlibs -Wl,--no-entry -Wno-unused-command-line-argument -L/usr/lib/wasm32-wasi")
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
# wasm-ld reads only archives with an index that it understands: GNU ar's is not.
set(CMAKE_AR llvm-ar)
set(CMAKE_RANLIB llvm-ranlib)
