# Release builds are built as a shipped Linux program is: fortified libc calls, stack protector,
# position-independent executable, full RELRO and a non-executable stack.
option(TRENOX_HARDEN "Build Release with the hardening flags of a shipped program" ON)

if(TRENOX_HARDEN AND NOT WIN32 AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  # CMake's Release default is -O3; distributions build at -O2, which _FORTIFY_SOURCE also needs.
  string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")

  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  include(CheckPIESupported)
  check_pie_supported(LANGUAGES CXX)

  set(release "$<CONFIG:Release>")
  # Some compilers predefine _FORTIFY_SOURCE; undefining first avoids a redefinition warning.
  add_compile_options("$<${release}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2;-fstack-protector-strong>")
  add_link_options("$<${release}:LINKER:-z,relro;LINKER:-z,now;LINKER:-z,noexecstack>")
  unset(release)

  # readelf reads any architecture's programs: the ARM builds are checked too.
  if(TRENOX_BUILD_TESTS AND NOT EMSCRIPTEN AND CMAKE_BUILD_TYPE STREQUAL "Release")
    add_test(NAME hardening_check
             COMMAND sh "${CMAKE_CURRENT_LIST_DIR}/check_hardening.sh" "$<TARGET_FILE:TrenoxVK>")
    set_tests_properties(hardening_check PROPERTIES LABELS ship)
  endif()
endif()
