# Cross-compiling for 64-bit ARM Linux (Debian's arm64) with Debian's cross compilers and the
# arm64 libraries installed beside the host's (multiarch). Programs built for the target run
# through qemu's user-mode emulator, so the tests can run here too.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(PKG_CONFIG_EXECUTABLE aarch64-linux-gnu-pkg-config)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static)
# The Debian architecture the package is built for.
set(COMETS_DEB_ARCHITECTURE arm64)
