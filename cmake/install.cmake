# Installing TrenoxVK as a desktop program (binary, menu entry, icons) and packing it as a .deb.
if(WIN32 OR CMAKE_CROSSCOMPILING)
  return()
endif()

include(GNUInstallDirs)

install(TARGETS TrenoxVK RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/trenoxvk.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")

# The menu icon is drawn at build time, at the sizes desktops look for in the hicolor theme.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ICON_CAIRO REQUIRED IMPORTED_TARGET cairo)
add_executable(draw_icon "${PROJECT_SOURCE_DIR}/packaging/draw_icon.cpp")
target_link_libraries(draw_icon PRIVATE PkgConfig::ICON_CAIRO)

set(TRENOX_ICON_SIZES 16 22 24 32 48 64 128 256)
set(icon_files)
foreach(size IN LISTS TRENOX_ICON_SIZES)
  set(icon "${PROJECT_BINARY_DIR}/icons/${size}x${size}/trenoxvk.png")
  add_custom_command(
    OUTPUT "${icon}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${PROJECT_BINARY_DIR}/icons/${size}x${size}"
    COMMAND draw_icon ${size} "${icon}"
    DEPENDS draw_icon
    VERBATIM)
  list(APPEND icon_files "${icon}")
  install(FILES "${icon}" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
endforeach()
add_custom_target(icons ALL DEPENDS ${icon_files})

# Debian package: dpkg-shlibdeps works out the run-time libraries (libsdl2-2.0-0, libx11-6, libc6 ...).
set(CPACK_PACKAGE_NAME "trenoxvk")
set(CPACK_PACKAGE_VENDOR "Trenox VK developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Animated cross-section of a single-crankshaft opposed-piston engine")
set(CPACK_PACKAGE_DESCRIPTION
    "Plays eighteen drawn frames of one crankshaft revolution in a fixed window; the keyboard runs, stops and steps the animation, the mouse sets its pace.")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # trenoxvk_1.00_amd64.deb
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Trenox VK developers")
set(CPACK_DEBIAN_PACKAGE_SECTION "science")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_GENERATOR "DEB")
include(CPack)

if(TRENOX_BUILD_TESTS)
  # Builds the .deb, unpacks it into a temporary root and runs the binary from there under Xvfb.
  add_test(NAME deb_package
           COMMAND "${PROJECT_SOURCE_DIR}/packaging/test_deb.sh" "${PROJECT_BINARY_DIR}/CPackConfig.cmake"
                   ${TRENOX_ICON_SIZES})
  set_tests_properties(deb_package PROPERTIES LABELS ship TIMEOUT 300)
endif()
