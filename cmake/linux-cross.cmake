# What both ARM toolchain files share: Debian's cross compiler for TRENOX_TRIPLET and the target's
# libraries from Debian's multiarch packages (libx11-dev:arm64 and the like), which install beside
# the build machine's own; qemu-user runs the target's programs for the tests.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${TRENOX_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${TRENOX_TRIPLET}-g++)
# Libraries in /usr/lib/<triplet>, as on the target; the headers in /usr/include are shared.
set(CMAKE_LIBRARY_ARCHITECTURE ${TRENOX_TRIPLET})
# Debian has no <triplet>-pkg-config wrapper: without this, pkg-config would hand out the build
# machine's X and Wayland libraries.
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/${TRENOX_TRIPLET}/pkgconfig:/usr/share/pkgconfig")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
# The target's loader and libraries are installed as multiarch packages, so qemu needs no sysroot.
find_program(TRENOX_QEMU_PROGRAM ${TRENOX_QEMU})
if(TRENOX_QEMU_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${TRENOX_QEMU_PROGRAM}")
endif()
