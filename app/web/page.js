// The page around the program: fits the window to the screen, maps the pointer to picture pixels,
// turns keys, the pointer and the on-screen buttons into what the program is told, and draws.
// What the ESC key types (U+001B), as on a terminal.
const kEscapeCharacter = 0x1b;
// PointerEvent.button, and the bit of PointerEvent.buttons that each button has.
const kNoButton = -1;
const kLeftButton = 0;
const kButtonBits = [1, 4, 2, 8, 16];

// The window (title bar and canvas, `box` in CSS pixels) in a viewport of `view`, with the row
// of buttons under it `controlsHeight` high: at its natural size, centred; scaled down, keeping its
// proportions, where the room is smaller. Whole CSS pixels, so a picture pixel starts on a device pixel.
function fitWindow(view, box, controlsHeight) {
  const roomHeight = view.height - controlsHeight;
  const scale = Math.min(1, view.width / box.width, roomHeight / box.height);
  const left = Math.max(0, Math.floor((view.width - box.width * scale) / 2));
  const top = Math.max(0, Math.floor((roomHeight - box.height * scale) / 2));
  return {
    scale,
    left,
    top,
    controls: {left, top: Math.ceil(top + box.height * scale), width: Math.floor(box.width * scale)},
  };
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
};

// Titles the page, sizes the canvas to `size`, fits the window and starts listening; `wholeFactor`
// is the program's rule for a picture pixel as a block of whole device pixels.
function openTrenoxPage(caption, size, program, wholeFactor) {
  const page = trenoxPage;
  const windowBox = document.getElementById('window');
  const canvas = document.getElementById('canvas');
  const controls = document.getElementById('controls');
  const captionBar = document.getElementById('caption');
  document.title = caption;
  captionBar.textContent = caption;
  captionBar.style.width = size.width + 'px';
  // One canvas pixel per CSS pixel; the page scales the window as a whole where it must.
  canvas.width = size.width;
  canvas.height = size.height;
  canvas.style.width = size.width + 'px';
  canvas.style.height = size.height + 'px';
  page.canvas = canvas;
  page.context = canvas.getContext('2d', {alpha: false});
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

  const fit = () => {
    const view = document.documentElement;
    const placed = fitWindow({width: view.clientWidth, height: view.clientHeight},
                             {width: windowBox.offsetWidth, height: windowBox.offsetHeight}, controls.offsetHeight);
    windowBox.style.left = placed.left + 'px';
    windowBox.style.top = placed.top + 'px';
    windowBox.style.transform = placed.scale < 1 ? 'scale(' + placed.scale + ')' : '';
    controls.style.left = placed.controls.left + 'px';
    controls.style.top = placed.controls.top + 'px';
    controls.style.width = placed.controls.width + 'px';
    // Pixelated where each picture pixel is a block of whole device pixels, two or more; a
    // reduction (a phone) needs smoothing.
    canvas.classList.toggle('sharp', wholeFactor(placed.scale * devicePixelRatio) > 1);
  };
  // The window stays fitted after the program ends too.
  new ResizeObserver(fit).observe(windowBox);
  window.addEventListener('resize', fit);
  matchMedia('(pointer: coarse)').addEventListener('change', fit);
  fit();

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

// The program has ended: input goes nowhere, and the canvas, dimmed, says so in one line.
function showEnded(message) {
  const page = trenoxPage;
  page.listening.abort();
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

// Under node, for the unit tests of the parts that need no page.
if (typeof module === 'object' && module.exports) module.exports = {fitWindow, canvasPixel, typedCharacter};
