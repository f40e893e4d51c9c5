// The page script's parts that need no browser, under node's test runner: fitting the window to the
// viewport, the pointer's canvas pixel, and which keys type which character.
const assert = require('node:assert/strict');
const path = require('node:path');
const {describe, test} = require('node:test');

const {fitWindow, canvasPixel, typedCharacter, captionFontSize, announcement} =
  require(path.join(process.env.TRENOX_SOURCE_DIR || path.join(__dirname, '..', '..'), 'app', 'web', 'page.js'));

// The window as the page lays it out: the canvas with a 22-pixel title bar and a 1-pixel border.
const WINDOW = {width: 801, height: 622};
const CANVAS = {width: 799, height: 598};
const BUTTON_ROW = {width: 0, height: 60};
const BUTTON_COLUMN = {width: 76, height: 0};
const NO_BUTTONS = {width: 0, height: 0};

describe('fitWindow', () => {
  test('a roomy viewport shows the window at its natural size, centred on whole pixels', () => {
    const placed = fitWindow({width: 1024, height: 900}, WINDOW, NO_BUTTONS);
    assert.equal(placed.scale, 1);
    assert.equal(placed.left, Math.floor((1024 - 801) / 2));
    assert.equal(placed.top, Math.floor((900 - 622) / 2));
    assert.deepEqual(placed.controls, {left: placed.left, top: placed.top + WINDOW.height, width: WINDOW.width, height: 0});
  });

  test('a narrow viewport scales the window to its width, proportions kept, buttons right below', () => {
    const view = {width: 390, height: 844};
    const placed = fitWindow(view, WINDOW, BUTTON_ROW);
    assert.equal(placed.scale, 390 / 801);
    assert.equal(placed.left, 0);
    const shownHeight = WINDOW.height * placed.scale;
    assert.ok(Number.isInteger(placed.top));
    // Centred in the room above the buttons, the half pixel left over below.
    const below = view.height - BUTTON_ROW.height - placed.top - shownHeight;
    assert.ok(below - placed.top >= 0 && below - placed.top < 2, placed);
    assert.equal(placed.controls.top, Math.ceil(placed.top + shownHeight));
    assert.ok(placed.controls.top >= placed.top + shownHeight, 'the buttons overlap the picture');
    assert.ok(placed.controls.top + BUTTON_ROW.height <= view.height, 'the buttons are off the screen');
    assert.equal(placed.controls.width, 390);
  });

  test('held sideways, the window takes the height and the buttons stand beside it, centred together', () => {
    const view = {width: 844, height: 390};
    const placed = fitWindow(view, WINDOW, BUTTON_COLUMN);
    assert.equal(placed.scale, 390 / 622);
    assert.equal(placed.top, 0);
    const shownWidth = WINDOW.width * placed.scale;
    assert.equal(placed.left, Math.floor((844 - BUTTON_COLUMN.width - shownWidth) / 2));
    assert.equal(placed.controls.left, Math.ceil(placed.left + shownWidth));
    assert.equal(placed.controls.top, 0);
    assert.ok(placed.controls.height >= 389 && placed.controls.height <= 390, 'the buttons are not as high as the picture');
    assert.ok(placed.controls.left + BUTTON_COLUMN.width <= view.width, 'the buttons are off the screen');
  });

  test('a viewport smaller than the window never places it off the top or the left', () => {
    for (const view of [{width: 100, height: 900}, {width: 1024, height: 50}]) {
      const placed = fitWindow(view, WINDOW, NO_BUTTONS);
      assert.ok(placed.left >= 0 && placed.top >= 0, placed);
      assert.ok(placed.left + WINDOW.width * placed.scale <= view.width + 1e-9, placed);
      assert.ok(placed.top + WINDOW.height * placed.scale <= view.height + 1e-9, placed);
    }
  });
});

describe('canvasPixel', () => {
  test('at its natural size, a CSS pixel is a canvas pixel, fractions floored', () => {
    const box = {left: 111, top: 139, width: 799, height: 598};
    assert.deepEqual(canvasPixel(111, 139, box, CANVAS), {x: 0, y: 0, inside: true});
    assert.deepEqual(canvasPixel(111 + 40.9, 139 + 40.99, box, CANVAS), {x: 40, y: 40, inside: true});
    assert.deepEqual(canvasPixel(111 + 798.5, 139 + 597.5, box, CANVAS), {x: 798, y: 597, inside: true});
  });

  test('scaled down, a point maps back to the canvas pixel it shows', () => {
    const scale = 390 / 801;
    const box = {left: 0.5, top: 250, width: 799 * scale, height: 598 * scale};
    for (const [x, y] of [[0, 0], [300, 300], [798, 597], [400, 17]]) {
      // The middle of the pixel as the page shows it.
      const at = canvasPixel(box.left + (x + 0.5) * scale, box.top + (y + 0.5) * scale, box, CANVAS);
      assert.deepEqual(at, {x, y, inside: true});
    }
  });

  test('enlarged, every point of a pixel\'s block is that pixel', () => {
    const box = {left: 10, top: 20, width: 799 * 2, height: 598 * 2};
    assert.deepEqual(canvasPixel(10 + 2 * 5, 20 + 2 * 7, box, CANVAS), {x: 5, y: 7, inside: true});
    assert.deepEqual(canvasPixel(10 + 2 * 5 + 1.99, 20 + 2 * 7 + 1.99, box, CANVAS), {x: 5, y: 7, inside: true});
  });

  test('off the canvas on any side is outside, with the pixel it would be (negative floors down)', () => {
    const box = {left: 100, top: 100, width: 799, height: 598};
    assert.deepEqual(canvasPixel(99.5, 150, box, CANVAS), {x: -1, y: 50, inside: false});
    assert.deepEqual(canvasPixel(150, 99.5, box, CANVAS), {x: 50, y: -1, inside: false});
    assert.deepEqual(canvasPixel(100 + 799, 150, box, CANVAS), {x: 799, y: 50, inside: false});
    assert.deepEqual(canvasPixel(150, 100 + 598, box, CANVAS), {x: 50, y: 598, inside: false});
  });
});

describe('typedCharacter', () => {
  const none = {};

  test('a key of one code point types it, beyond ASCII too; ESC types 27', () => {
    assert.equal(typedCharacter('+', none), 0x2b);
    assert.equal(typedCharacter(' ', none), 0x20);
    assert.equal(typedCharacter('é', none), 0xe9);
    assert.equal(typedCharacter('😀', none), 0x1f600);  // two UTF-16 units, one code point
    assert.equal(typedCharacter('Escape', none), 27);
  });

  test('named keys other than ESC keep their meaning in the page', () => {
    for (const key of ['Tab', 'Enter', 'Backspace', 'ArrowUp', 'F5', 'Shift', 'Dead', 'e\u0301']) {
      assert.equal(typedCharacter(key, none), null, key);
    }
  });

  test('Ctrl and Meta shortcuts stay the browser\'s; Ctrl with Alt (AltGr) types', () => {
    assert.equal(typedCharacter('r', {ctrlKey: true}), null);
    assert.equal(typedCharacter('Escape', {metaKey: true}), null);
    assert.equal(typedCharacter('@', {ctrlKey: true, altKey: true}), 0x40);
    assert.equal(typedCharacter('.', {shiftKey: true, altKey: true}), 0x2e);
  });
});

describe('captionFontSize', () => {
  test('at natural size the caption keeps its 13 pixels; scaled down it shows at least 11, no more than needed', () => {
    assert.equal(captionFontSize(1, 13), 13);
    for (const scale of [390 / 801, 390 / 640, 0.9, 0.25]) {
      const size = captionFontSize(scale, 13);
      assert.ok(size * scale >= 11, scale);
      assert.ok((size - 1) * scale < 11 || size === 13, scale);
    }
  });
});

describe('announcement', () => {
  test('a run says its direction, a stop the frame it shows of how many', () => {
    assert.equal(announcement('forward', 3, 18), 'Running forward');
    assert.equal(announcement('backward', 3, 18), 'Running backward');
    assert.equal(announcement('stopped', 7, 18), 'Stopped at frame 7 of 18');
  });
});
