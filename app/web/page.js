// The page around the program: fits the window to the screen, maps the pointer to picture pixels,
// turns keys, the pointer and the on-screen buttons into what the program is told, and draws.
// What the ESC key types (U+001B), as on a terminal.
const kEscapeCharacter = 0x1b;
// PointerEvent.button, and the bit of PointerEvent.buttons that each button has.
const kNoButton = -1;
const kLeftButton = 0;
const kButtonBits = [1, 4, 2, 8, 16];

// The window (title bar and canvas, `box` in CSS pixels) in a viewport of `view`, with the buttons
// `controls` high under it or, held sideways, `controls` wide beside it: at its natural size,
// centred; scaled down, keeping its proportions, where the room is smaller. Whole CSS pixels, so a
// picture pixel starts on a device pixel. `controls` is the buttons' room, its other side 0; they
// are placed along the window's side.
function fitWindow(view, box, controls) {
  const roomWidth = view.width - controls.width;
  const roomHeight = view.height - controls.height;
  const scale = Math.min(1, roomWidth / box.width, roomHeight / box.height);
  const shownWidth = box.width * scale;
  const shownHeight = box.height * scale;
  // Beside the picture, the buttons are centred with it; under it, the picture alone.
  const left = Math.max(0, Math.floor((view.width - controls.width - shownWidth) / 2));
  const top = Math.max(0, Math.floor((roomHeight - shownHeight) / 2));
  const beside = controls.width > 0;
  return {
    scale,
    left,
    top,
    controls: beside ? {left: Math.ceil(left + shownWidth), top, width: controls.width, height: Math.floor(shownHeight)}
                     : {left, top: Math.ceil(top + shownHeight), width: Math.floor(shownWidth), height: controls.height},
  };
}

// The smallest caption a phone shows, in CSS pixels: the window's own scaled down would be
// unreadable there.
const kSmallestCaptionPixels = 11;

// The caption's font size in the window's own pixels for a window shown at `scale`: its own
// `naturalSize`, or larger so that it is at least the smallest readable size on the screen.
function captionFontSize(scale, naturalSize) {
  return Math.max(naturalSize, Math.ceil(kSmallestCaptionPixels / scale));
}

// What the live region says of the run: `run` is 'forward', 'backward' or 'stopped' (at `frame`,
// counted from 1).
function announcement(run, frame, frameCount) {
  if (run === 'stopped') return 'Stopped at frame ' + frame + ' of ' + frameCount;
  return 'Running ' + run;
}

// The canvas pixel under a point of the viewport, whatever the scale the canvas is shown at, and
// whether it lies on the canvas. `box` is the canvas's client rectangle, `size` its pixels.
function canvasPixel(clientX, clientY, box, size) {
  const x = Math.floor((clientX - box.left) * size.width / box.width);
  const y = Math.floor((clientY - box.top) * size.height / box.height);
  return {x, y, inside: x >= 0 && x < size.width && y >= 0 && y < size.height};
}

// The character a key types (KeyboardEvent.key): one Unicode code point, or ESC; null for the
// keys that keep their meaning in the page (Tab, the arrows and the like) and for the browser's
// shortcuts. Ctrl with Alt is AltGr on Windows, which types characters.
function typedCharacter(key, modifiers) {
  if (modifiers.metaKey || (modifiers.ctrlKey && !modifiers.altKey)) return null;
  if (key === 'Escape') return kEscapeCharacter;
  const codePoints = [...key];
  return codePoints.length === 1 ? codePoints[0].codePointAt(0) : null;
}

// The page's state while the program runs: its elements, what it reports to, and its listeners.
const trenoxPage = {
  canvas: null,
  context: null,
  image: null,  // an ImageData over the program's picture, made at the first one
  report: null,  // (what, ...args): tells the program, whose `what` is typed, moved, pressed, released or activated
  listening: null,  // aborted when the program ends: every input listener goes
  wake: null,  // resolves the program's wait for the next report
  turn: null,  // ends the turn given to the browser
  channel: null,
  fingerDown: false,
  heldFromPicture: false,  // moves off the canvas still count, as with a pointer grab
  lastPoint: {x: NaN, y: NaN},  // where the primary pointer last was, in the viewport
  wholeFactor: null,  // the program's rule for a sharp enlargement, once it runs
};

// Places the window (and on a touch screen its buttons) in the viewport, the caption readable.
function fitTrenoxWindow() {
  const windowBox = document.getElementById('window');
  const canvas = document.getElementById('canvas');
  const controls = document.getElementById('controls');
  const captionBar = document.getElementById('caption');
  const view = document.documentElement;
  const phone = matchMedia('(pointer: coarse)').matches;
  const sideways = phone && matchMedia('(orientation: landscape)').matches;
  const room = {width: view.clientWidth, height: view.clientHeight};
  // Measured at their own size, not the one the last fit gave them.
  controls.style.width = '';
  controls.style.height = '';
  captionBar.style.fontSize = '';
  const captionSize = parseFloat(getComputedStyle(captionBar).fontSize);
  const place = () => fitWindow(room, {width: windowBox.offsetWidth, height: windowBox.offsetHeight},
                                {width: sideways ? controls.offsetWidth : 0, height: sideways ? 0 : controls.offsetHeight});
  let placed = place();
  // A larger caption may take another line, which makes the window taller and the scale smaller:
  // a few rounds settle it.
  for (let round = 0; phone && round < 4; round++) {
    const fontSize = captionFontSize(placed.scale, captionSize) + 'px';
    if (parseFloat(getComputedStyle(captionBar).fontSize) + 'px' === fontSize) break;
    captionBar.style.fontSize = fontSize;
    placed = place();
  }
  windowBox.style.left = placed.left + 'px';
  windowBox.style.top = placed.top + 'px';
  windowBox.style.transform = placed.scale < 1 ? 'scale(' + placed.scale + ')' : '';
  controls.style.left = placed.controls.left + 'px';
  controls.style.top = placed.controls.top + 'px';
  controls.style.width = placed.controls.width + 'px';
  controls.style.height = placed.controls.height + 'px';
  // Pixelated where each picture pixel is a block of whole device pixels, two or more; a
  // reduction (a phone) needs smoothing.
  const wholeFactor = trenoxPage.wholeFactor;
  canvas.classList.toggle('sharp', wholeFactor !== null && wholeFactor(placed.scale * devicePixelRatio) > 1);
  document.body.classList.add('fitted');
}

// Fitted as the page is read, before its first paint, and whenever the room changes; the window
// stays fitted after the program ends too.
function keepTrenoxWindowFitted() {
  new ResizeObserver(fitTrenoxWindow).observe(document.getElementById('window'));
  window.addEventListener('resize', fitTrenoxWindow);
  matchMedia('(pointer: coarse)').addEventListener('change', fitTrenoxWindow);
  matchMedia('(orientation: landscape)').addEventListener('change', fitTrenoxWindow);
  fitTrenoxWindow();
}

// Titles the page, sizes the canvas to `size`, refits the window and starts listening; `wholeFactor`
// is the program's rule for a picture pixel as a block of whole device pixels.
function openTrenoxPage(caption, size, program, wholeFactor) {
  const page = trenoxPage;
  const canvas = document.getElementById('canvas');
  const controls = document.getElementById('controls');
  document.title = caption;
  document.getElementById('caption').textContent = caption;
  // One canvas pixel per CSS pixel; the page scales the window as a whole where it must.
  canvas.width = size.width;
  canvas.height = size.height;
  canvas.style.width = size.width + 'px';
  canvas.style.height = size.height + 'px';
  page.canvas = canvas;
  page.context = canvas.getContext('2d', {alpha: false});
  page.wholeFactor = wholeFactor;
  page.listening = new AbortController();
  const options = {signal: page.listening.signal};
  const report = (what, ...args) => {
    program[what](...args);
    if (page.wake !== null) {
      const wake = page.wake;
      page.wake = null;
      wake();
    }
  };
  page.report = report;
  fitTrenoxWindow();

  canvas.addEventListener('keydown', (event) => {
    const character = typedCharacter(event.key, event);
    if (character === null) return;
    event.preventDefault();  // no scrolling on space, no quick find on '/'
    report('typed', character);
  }, options);
  // A button is its key.
  for (const button of controls.querySelectorAll('button')) {
    button.addEventListener('click', () => {
      report('typed', typedCharacter(button.dataset.key, {}));
      canvas.focus({preventScroll: true});
    }, options);
  }

  // Pointer events for the mouse, a pen and a finger, on the document, so that a release and,
  // while a button is held, moves off the canvas count too. A second finger is not a pointer.
  const pixelOf = (event) => canvasPixel(event.clientX, event.clientY, canvas.getBoundingClientRect(), size);
  const onPointer = (event) => {
    if (!event.isPrimary) return;
    // Chromium sends a move where the pointer already is when the page's layout changes (the live
    // region's text does): the pointer has not moved, and a step in manual mode must not come of it.
    const still = event.clientX === page.lastPoint.x && event.clientY === page.lastPoint.y;
    page.lastPoint.x = event.clientX;
    page.lastPoint.y = event.clientY;
    if (event.type === 'pointermove' && still) return;
    // A finger only moves the pointer, as a mouse without a button held; the browser's tap is its click.
    const finger = event.pointerType === 'touch';
    if (event.type === 'pointerdown') page.fingerDown = finger;
    if (finger && event.type !== 'pointermove') return;
    const button = finger ? kNoButton : event.button;
    const buttons = finger ? 0 : event.buttons;
    const at = pixelOf(event);
    if (button === kNoButton) {
      if (at.inside || page.heldFromPicture) report('moved', at.x, at.y);
      return;
    }
    // A button pressed while another is held comes as a move with the button that changed.
    const pressed = (buttons & kButtonBits[button]) !== 0;
    if (pressed && at.inside) page.heldFromPicture = true;
    if (buttons === 0) page.heldFromPicture = false;
    if (button === kLeftButton) report(pressed ? 'pressed' : 'released', at.x, at.y, event.timeStamp);
  };
  for (const type of ['pointermove', 'pointerdown', 'pointerup']) document.addEventListener(type, onPointer, options);
  document.addEventListener('click', (event) => {
    if (!page.fingerDown) return;
    const at = pixelOf(event);
    report('pressed', at.x, at.y, event.timeStamp);
    report('released', at.x, at.y, event.timeStamp);
  }, options);
  canvas.addEventListener('contextmenu', (event) => event.preventDefault(), options);

  canvas.addEventListener('focus', reportIfActive, options);
  window.addEventListener('load', reportIfActive, options);

  // A message to ourselves is the quickest way to give the browser its turn and get ours back.
  page.channel = new MessageChannel();
  page.channel.port1.onmessage = () => page.turn();
}

// The window is active once the page has loaded and the canvas has the keyboard focus.
function reportIfActive() {
  const page = trenoxPage;
  if (document.readyState === 'complete' && document.activeElement === page.canvas) page.report('activated');
}

// Keys work without a click first, as in a newly opened window.
function showTrenoxWindow() {
  trenoxPage.canvas.focus();
  reportIfActive();
}

// Resolves once the browser has had its turn.
function giveBrowserTurn() {
  return new Promise((resolve) => {
    trenoxPage.turn = resolve;
    trenoxPage.channel.port2.postMessage(null);
  });
}

// Resolves at the page's next report to the program.
function nextReport() {
  return new Promise((resolve) => {
    trenoxPage.wake = resolve;
  });
}

// Puts the picture at `offset` in `memory` (8-bit red, green, blue, alpha; always the same place)
// on the canvas.
function putPicture(memory, offset, width, height) {
  const page = trenoxPage;
  if (page.image === null) {
    page.image = new ImageData(new Uint8ClampedArray(memory, offset, width * height * 4), width, height);
  }
  page.context.putImageData(page.image, 0, 0);
}

// Says `text` to a screen reader, politely: after what it is saying now.
function announce(text) {
  document.getElementById('status').textContent = text;
}

// The run has changed: 'forward', 'backward', or 'stopped' at `frame` of `frameCount`.
function announceRun(run, frame, frameCount) {
  announce(announcement(run, frame, frameCount));
}

// The program has ended: input goes nowhere, and the canvas, dimmed, says so in one line, as does
// the live region.
function showEnded(message) {
  const page = trenoxPage;
  page.listening.abort();
  announce(message);
  // No destructuring here: emcc's JavaScript optimiser drops it.
  const canvas = page.canvas;
  const context = page.context;
  context.fillStyle = 'rgba(0, 0, 0, 0.6)';
  context.fillRect(0, 0, canvas.width, canvas.height);
  context.fillStyle = '#ffffff';
  context.font = '18px sans-serif';
  context.textAlign = 'center';
  context.textBaseline = 'middle';
  context.fillText(message, canvas.width / 2, canvas.height / 2);
}

// The hosted page (the one that links a manifest) keeps itself for offline use.
function keepPageOffline() {
  if (!('serviceWorker' in navigator) || document.querySelector('link[rel="manifest"]') === null) return;
  navigator.serviceWorker.register('service_worker.js');
}

if (typeof document === 'object') {
  keepTrenoxWindowFitted();
  keepPageOffline();
}
// Under node, for the unit tests of the parts that need no page.
if (typeof module === 'object' && module.exports) {
  module.exports = {fitWindow, canvasPixel, typedCharacter, captionFontSize, announcement};
}
