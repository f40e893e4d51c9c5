# Installing TrenoxVK as a desktop program (binary, menu entry, icons, manual page, AppStream
# metadata, copyright and changelog) and packing it as a .deb.
if(WIN32 OR EMSCRIPTEN)
  return()
endif()

include(GNUInstallDirs)

# Directories the install makes are rwxr-xr-x whatever the umask (under 002 they came out
# group-writable, which a distribution rejects); files already get fixed modes.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The AppStream id names the menu entry and the metadata file alike.
set(TRENOX_APP_ID "invalid.trenox.trenoxvk")
set(packaging "${PROJECT_SOURCE_DIR}/packaging")

install(TARGETS TrenoxVK RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
# A stripped install (CPack) also drops the compiler's identification, as Debian's dh_strip does.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/TrenoxVK\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()")
install(FILES "${packaging}/${TRENOX_APP_ID}.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${packaging}/${TRENOX_APP_ID}.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

# The manual page and the changelog are installed compressed, as Debian wants them; gzip -n leaves
# out the name and time stamp, so the same sources give the same bytes.
set(TRENOX_PACKAGE_NAME "trenoxvk")
set(doc_dir "${CMAKE_INSTALL_DATADIR}/doc/${TRENOX_PACKAGE_NAME}")
function(install_gzipped source destination)
  get_filename_component(name "${source}" NAME)
  set(compressed "${PROJECT_BINARY_DIR}/gzipped/${name}.gz")
  add_custom_command(
    OUTPUT "${compressed}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${PROJECT_BINARY_DIR}/gzipped"
    COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" sh "${source}" "${compressed}"
    DEPENDS "${source}"
    VERBATIM)
  add_custom_target("gzip_${name}" ALL DEPENDS "${compressed}")
  install(FILES "${compressed}" DESTINATION "${destination}")
endfunction()
# The manual page carries the project version, and the keys, mouse actions and exit statuses from
# the program's own tables.
configure_file("${packaging}/TrenoxVK.1.in" "${PROJECT_BINARY_DIR}/TrenoxVK.1.in" @ONLY)
add_custom_command(
  OUTPUT "${PROJECT_BINARY_DIR}/TrenoxVK.1"
  COMMAND write_usage man linux "${PROJECT_BINARY_DIR}/TrenoxVK.1.in" "${PROJECT_BINARY_DIR}/TrenoxVK.1"
  DEPENDS write_usage "${PROJECT_BINARY_DIR}/TrenoxVK.1.in"
  VERBATIM)
install_gzipped("${PROJECT_BINARY_DIR}/TrenoxVK.1" "${CMAKE_INSTALL_MANDIR}/man1")
install_gzipped("${packaging}/changelog" "${doc_dir}")
install(FILES "${packaging}/copyright" DESTINATION "${doc_dir}")

# The menu icon is drawn at build time (draw_icon, cmake/host_tools.cmake), at the sizes desktops
# look for in the hicolor theme.

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

include("${PROJECT_SOURCE_DIR}/docs/docs.cmake")

# Debian package: dpkg-shlibdeps works out the run-time libraries (libx11-6, libxext6, libc6 ...).
set(CPACK_PACKAGE_NAME "${TRENOX_PACKAGE_NAME}")
set(CPACK_PACKAGE_VENDOR "Trenox VK developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Animated cross-section of a single-crankshaft opposed-piston engine")
# Wrapped as Debian wants it: CPack indents each line and turns the empty one into " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[
Trenox VK plays eighteen pre-drawn frames of one crankshaft revolution in
a fixed window, without end: two opposed pistons in one bore, driven
through rockers and rods from a single crank, with the ports opening and
closing and the blower's rotors turning.

The keyboard runs the animation forward or backward, stops it and steps
it frame by frame; the pointer sets the pace, and after a click moving
the pointer steps the frames by hand.]])
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # trenoxvk_1.00_amd64.deb
# A cross build packs for its target (the toolchain file names it); a native one for this machine.
if(TRENOX_DEB_ARCHITECTURE)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE "${TRENOX_DEB_ARCHITECTURE}")
endif()
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Trenox VK developers <dev@trenox.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION "science")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libdecor's title bar on Wayland compositors that draw none (weston, GNOME): opened at run time only
# there, so not a dependency; without it the window opens without a title bar.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libdecor-0-0, libdecor-0-plugin-1-cairo")
set(CPACK_GENERATOR "DEB")
include(CPack)

if(TRENOX_BUILD_TESTS)
  # Builds the .deb, unpacks it into a temporary root and runs the binary from there under Xvfb
  # (an ARM build's under qemu-user).
  add_test(NAME deb_package
           COMMAND env "TRENOX_EMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
                   "${PROJECT_SOURCE_DIR}/packaging/test_deb.sh" "${PROJECT_BINARY_DIR}/CPackConfig.cmake"
                   ${TRENOX_ICON_SIZES})
  set_tests_properties(deb_package PROPERTIES LABELS ship TIMEOUT 300)
endif()
