# The logic and its unit tests for 32-bit x86 Linux, the shipped word size, with Debian's cross
# compiler. Static, so qemu-i386 runs them on hosts without i386 libraries.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
# Linking warns that GoogleTest's unused streaming listener names getaddrinfo; nothing calls it.
