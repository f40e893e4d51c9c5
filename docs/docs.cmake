# The README's pictures: the animation made from the frames, and the screenshot of the running program.
set(TRENOX_ANIMATION "${PROJECT_SOURCE_DIR}/docs/trenoxvk.gif")
add_custom_target(docs_animation
  COMMAND "${PROJECT_SOURCE_DIR}/docs/make_animation.sh" "${TRENOX_ANIMATION}"
  COMMENT "Writing ${TRENOX_ANIMATION}"
  VERBATIM)

set(TRENOX_SCREENSHOT "${PROJECT_SOURCE_DIR}/docs/screenshot.png")
add_custom_target(docs_screenshot
  COMMAND "${PROJECT_SOURCE_DIR}/docs/take_screenshot.sh" "$<TARGET_FILE:TrenoxVK>" "${TRENOX_SCREENSHOT}"
  DEPENDS TrenoxVK
  COMMENT "Writing ${TRENOX_SCREENSHOT}"
  VERBATIM)

if(TRENOX_BUILD_TESTS AND NOT CMAKE_CROSSCOMPILING)
  # The committed animation is what the committed frames give, byte for byte.
  add_test(NAME docs_animation_matches_frames
    COMMAND bash -c [[out=$(mktemp --suffix=.gif) && trap 'rm -f "$out"' EXIT && "$0" "$out" && cmp "$out" "$1"]]
            "${PROJECT_SOURCE_DIR}/docs/make_animation.sh" "${TRENOX_ANIMATION}")
  set_tests_properties(docs_animation_matches_frames PROPERTIES LABELS ship)
endif()
