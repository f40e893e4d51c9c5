// What the browser layer (web_platform.cpp) calls in the page: each takes the program's values
// (pointers into its memory) and hands them to the page's own functions (page.js).
// The waits are ASYNCIFY imports (web/CMakeLists.txt): the program sleeps in them and resumes.
mergeInto(LibraryManager.library, {
  // The page's reports go to the layer's exported functions (EMSCRIPTEN_KEEPALIVE), with `platform`.
  trenox_open_page: function (caption, width, height, platform) {
    openTrenoxPage(UTF8ToString(caption), {width, height}, {
      typed: (character) => _trenox_typed(platform, character),
      moved: (x, y) => _trenox_moved(platform, x, y),
      pressed: (x, y, time) => _trenox_pressed(platform, x, y, time),
      released: (x, y, time) => _trenox_released(platform, x, y, time),
      activated: () => _trenox_activated(platform),
    }, (ratio) => _trenox_whole_factor(ratio));
  },

  trenox_show_window: function () {
    showTrenoxWindow();
  },

  trenox_give_turn__deps: ['$Asyncify'],
  trenox_give_turn: function () {
    return Asyncify.handleAsync(giveBrowserTurn);
  },

  trenox_wait_for_report__deps: ['$Asyncify'],
  trenox_wait_for_report: function () {
    return Asyncify.handleAsync(nextReport);
  },

  // A wait that nothing ever ends: the program stays where it is, and the page stays.
  trenox_wait_forever__deps: ['$Asyncify'],
  trenox_wait_forever: function () {
    return Asyncify.handleAsync(() => new Promise(() => {}));
  },

  // The canvas shows the program's own memory, without a copy of ours.
  trenox_put_picture: function (rgba, width, height) {
    putPicture(HEAPU8.buffer, rgba, width, height);
  },

  // `run` as WebPlatform::Run numbers it.
  trenox_announce_run: function (run, frame, frameCount) {
    announceRun(['forward', 'backward', 'stopped'][run], frame, frameCount);
  },

  trenox_show_ended: function (message) {
    showEnded(UTF8ToString(message));
  },
});
