# Programs the build runs: draw_icon (the icons, with Cairo) and write_usage (the manual page's
# keys and exit statuses). They run on the build machine, so a cross build (the Linux program for
# ARM, the page's hosted folder) never builds them for its target: it imports them from a native
# build tree, the file host-tools.cmake that the native tree exports, named by TRENOX_HOST_TOOLS
# (the ARM and web presets name the default preset's).
if(CMAKE_CROSSCOMPILING)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux" OR EMSCRIPTEN)
    set(TRENOX_HOST_TOOLS "" CACHE FILEPATH "host-tools.cmake of a native build tree (cmake --preset default)")
    if(NOT EXISTS "${TRENOX_HOST_TOOLS}")
      message(FATAL_ERROR "This cross build runs draw_icon and write_usage from a native build: configure "
                          "the default preset first (cmake --preset default), then set TRENOX_HOST_TOOLS to "
                          "its host-tools.cmake (now: '${TRENOX_HOST_TOOLS}').")
    endif()
    include("${TRENOX_HOST_TOOLS}")
  endif()
  return()
endif()

find_package(PkgConfig REQUIRED)
pkg_check_modules(ICON_CAIRO REQUIRED IMPORTED_TARGET cairo)
add_executable(draw_icon "${PROJECT_SOURCE_DIR}/packaging/draw_icon.cpp")
target_link_libraries(draw_icon PRIVATE PkgConfig::ICON_CAIRO)

add_executable(write_usage "${PROJECT_SOURCE_DIR}/app/write_usage.cpp")
target_link_libraries(write_usage PRIVATE trenox_app)
set_target_properties(write_usage PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}")

export(TARGETS draw_icon write_usage FILE "${PROJECT_BINARY_DIR}/host-tools.cmake")
