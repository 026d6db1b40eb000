// Aurilo in the browser: the saver's own engine as WebAssembly draws each
// 640x480 frame; the canvas shows it blown up by the largest whole factor that
// fits the window in device pixels (or, in a smaller window, scaled down
// whole), each frame pixel exactly k x k device pixels, centred on black. A
// click or a key enters full screen.
//   ?ticks=T1,T2,...  draws exactly those frames and stops (for tests)
//   ?bench            draws a fixed schedule and reports milliseconds a frame
const width = 640;
const height = 480;
const canvasFormat = 0;

const screen = document.getElementById('screen');
const screenContext = screen.getContext('2d');
const frame = document.getElementById('frame');
const frameContext = frame.getContext('2d');
const report = document.getElementById('report');

// Whatever stops the page says so in words: a black page would tell nothing.
// The first failure is the one shown; what it causes later adds nothing.
function fail(words) {
  if (document.body.dataset.failed)
    return;
  report.textContent = words;
  document.body.dataset.failed = 'yes';
}
addEventListener('error', (event) => fail(`Aurilo stopped: ${event.message}`));
addEventListener('unhandledrejection', (event) => fail(`Aurilo stopped: ${event.reason?.message ?? event.reason}`));

// Served, the module lies beside the page; in the one-file page it is inside it.
async function loadEngine() {
  if (typeof WebAssembly !== 'object')
    throw new Error('this browser does not run WebAssembly');
  const embedded = document.getElementById('engine');
  let bytes;
  if (embedded) {
    bytes = Uint8Array.from(atob(embedded.textContent.trim()), (c) => c.charCodeAt(0));
  } else {
    const response = await fetch('aurilo.wasm');
    if (!response.ok)
      throw new Error(`aurilo.wasm: ${response.status} ${response.statusText}`);
    bytes = await response.arrayBuffer();
  }
  return (await WebAssembly.instantiate(bytes)).instance.exports;
}

let engine;
let image;
// The window's size in device pixels, which the placement is worked out in.
let devicePixels = {
  width: Math.round(innerWidth * devicePixelRatio),
  height: Math.round(innerHeight * devicePixelRatio),
};

// The engine's placement rule, the same as the Linux hack's, in device pixels;
// the canvas holds the blown-up frame, and its CSS size maps it 1:1 onto them.
function fitCanvas() {
  const placed = engine.fit(devicePixels.width, devicePixels.height);
  const [x, y, shownWidth, shownHeight] = new Uint32Array(engine.memory.buffer, placed, 4);
  if (screen.width !== shownWidth || screen.height !== shownHeight) {
    screen.width = shownWidth;
    screen.height = shownHeight;
  }
  // Here, not each frame: only a new size resets the context's state.
  screenContext.imageSmoothingEnabled = false;
  const css = (devicePixelsAlong) => `${devicePixelsAlong / devicePixelRatio}px`;
  Object.assign(screen.style, { width: css(shownWidth), height: css(shownHeight), left: css(x), top: css(y) });
  show();
}

// Kept: an observer nothing refers to may be collected, and stop observing.
let windowObserver;
// Some engines (WebKit) have no device-pixel box, and refuse to observe it.
const knowsDevicePixels = typeof ResizeObserverEntry === 'function'
  && 'devicePixelContentBoxSize' in ResizeObserverEntry.prototype;

function followTheWindow() {
  // Sizes in device pixels exactly, also when the ratio changes (another
  // monitor, browser zoom); where that box is unknown, CSS pixels times the ratio.
  let cssSize;
  const measure = () => {
    devicePixels = {
      width: Math.round(cssSize.width * devicePixelRatio),
      height: Math.round(cssSize.height * devicePixelRatio),
    };
    fitCanvas();
  };
  windowObserver = new ResizeObserver(([entry]) => {
    if (knowsDevicePixels) {
      const [box] = entry.devicePixelContentBoxSize;
      devicePixels = { width: box.inlineSize, height: box.blockSize };
      fitCanvas();
    } else {
      cssSize = entry.contentRect;
      measure();
    }
  });
  if (knowsDevicePixels) {
    windowObserver.observe(document.documentElement, { box: 'device-pixel-content-box' });
    return;
  }
  windowObserver.observe(document.documentElement);
  // Without the device-pixel box, a new ratio at the same CSS size is seen
  // only as a change of resolution.
  const followTheRatio = () => matchMedia(`(resolution: ${devicePixelRatio}dppx)`)
    .addEventListener('change', () => {
      if (cssSize)
        measure();
      followTheRatio();
    }, { once: true });
  followTheRatio();
}

function show() {
  frameContext.putImageData(image, 0, 0);
  screenContext.drawImage(frame, 0, 0, screen.width, screen.height);
}

// The engine reads the list, by the renderer's rule; a list it refuses draws
// nothing, and the page says why.
function drawTicks(text) {
  const room = new Uint8Array(engine.memory.buffer, engine.tickText(), engine.tickTextSize());
  const { read, written } = new TextEncoder().encodeInto(text, room);
  const drawn = read < text.length ? 0 : engine.drawTicks(written);
  if (drawn === 0) {
    const fault = new Uint8Array(engine.memory.buffer, engine.tickFault());
    const words = read < text.length ? '?ticks: too long a list' : new TextDecoder().decode(fault.subarray(0, fault.indexOf(0)));
    fail(`Aurilo cannot draw these frames: ${words}`);
    return;
  }
  show();
  document.body.dataset.drawn = String(drawn);
}

// Ten seconds at 60 frames a second, as aurilo-render --fps 60 --seconds 10,
// drawn by the engine alone and then also shown: put into the frame canvas and
// blown up into the shown one, whose one-pixel read makes the browser draw it.
// The best of several passes: the first ones let the browser finish compiling.
function bench() {
  const frames = 600;
  const passes = 12;
  const bestMs = (showEach) => {
    let best = Infinity;
    for (let pass = 0; pass < passes; ++pass) {
      const started = performance.now();
      engine.start(canvasFormat);
      for (let k = 1; k <= frames; ++k) {
        engine.drawFrame(Math.floor(k * 1000 / 60));
        if (showEach) {
          show();
          screenContext.getImageData(0, 0, 1, 1);
        }
      }
      best = Math.min(best, performance.now() - started);
    }
    return best / frames;
  };
  const perFrame = bestMs(false);
  const perShownFrame = bestMs(true);
  show();
  report.textContent = `${perFrame.toFixed(3)} ms per frame, ${perShownFrame.toFixed(3)} ms shown at `
    + `${screen.width}x${screen.height} (${frames} frames, best of ${passes})`;
  document.body.dataset.msPerFrame = String(perFrame);
  document.body.dataset.msPerShownFrame = String(perShownFrame);
}

// Ticks count from the first frame, which is drawn at tick 0.
function run() {
  document.body.classList.add('running');
  let startedAt;
  const nextFrame = (now) => {
    startedAt ??= now;
    const tick = Math.floor(now - startedAt) >>> 0;
    document.body.dataset.firstTick ??= String(tick);
    engine.drawFrame(tick);
    show();
    requestAnimationFrame(nextFrame);
  };
  requestAnimationFrame(nextFrame);
  const enterFullScreen = () => {
    if (!document.fullscreenElement)
      document.documentElement.requestFullscreen().catch(() => {});
  };
  window.addEventListener('click', enterFullScreen);
  window.addEventListener('keydown', enterFullScreen);
}

try {
  engine = await loadEngine();
} catch (error) {
  fail(`Aurilo could not start its engine: ${error.message}`);
  throw error;
}
try {
  engine.start(canvasFormat);
  // The module never grows its memory, so this view stays valid.
  image = new ImageData(new Uint8ClampedArray(engine.memory.buffer, engine.pixels(), width * height * 4),
    width, height);
  fitCanvas();
  followTheWindow();
  const query = new URLSearchParams(location.search);
  if (query.has('ticks')) {
    drawTicks(query.get('ticks'));
  } else if (query.has('bench')) {
    bench();
  } else {
    run();
  }
} catch (error) {
  fail(`Aurilo could not start: ${error.message}`);
  throw error;
}
