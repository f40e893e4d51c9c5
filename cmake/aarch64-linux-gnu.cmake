# Cross-builds the Linux program for 64-bit ARM (Debian's arm64: Raspberry Pi 3, 4 and 5 with a
# 64-bit OS, ARM laptops, Chromebooks' Linux) with Debian's cross compiler and multiarch libraries.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(TRENOX_TRIPLET aarch64-linux-gnu)
set(TRENOX_QEMU qemu-aarch64-static)
set(TRENOX_DEB_ARCHITECTURE arm64)
include("${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake")
