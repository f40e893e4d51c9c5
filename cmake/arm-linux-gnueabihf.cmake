# Cross-builds the Linux program for 32-bit ARM with hardware floating point (Debian's armhf:
# Raspberry Pi OS's 32-bit image, older boards) with Debian's cross compiler and multiarch libraries.
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(TRENOX_TRIPLET arm-linux-gnueabihf)
set(TRENOX_QEMU qemu-arm-static)
set(TRENOX_DEB_ARCHITECTURE armhf)
include("${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake")
