# The same sources as 32-bit i386 Linux code, run under qemu-i386: pointers
# are 4 bytes and stdcall is real, so the 32-bit layouts and calling
# conventions are exercised at run time. There is no 32-bit SQLite or ICU here.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_DISABLE_FIND_PACKAGE_SQLite3 ON)
set(CMAKE_DISABLE_FIND_PACKAGE_GTest ON)
set(CMAKE_DISABLE_FIND_PACKAGE_benchmark ON)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)
set(CMAKE_DISABLE_FIND_PACKAGE_ICU ON)
