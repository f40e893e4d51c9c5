# The release (cmake --workflow --preset release): scripts/release.sh builds the Linux, Windows and
# browser programs in this build tree and writes the artifacts and their checksums to TRENOX_DIST.
set(TRENOX_DIST "${PROJECT_SOURCE_DIR}/dist" CACHE PATH "Where the release artifacts go")
add_custom_target(release ALL
  COMMAND "${PROJECT_SOURCE_DIR}/scripts/release.sh" build "${PROJECT_BINARY_DIR}" "${TRENOX_DIST}"
  USES_TERMINAL
  VERBATIM)

enable_testing()
add_test(NAME release_versions
         COMMAND "${PROJECT_SOURCE_DIR}/packaging/check_release.sh" "${PROJECT_VERSION}" "${TRENOX_DIST}")
