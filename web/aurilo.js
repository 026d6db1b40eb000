// Aurilo in the browser: the saver's own engine as WebAssembly draws each
// 640x480 frame; the canvas shows it scaled by the largest whole factor that
// fits the window (or, in a smaller window, scaled down whole), centred on
// black. A click or a key enters full screen.
//   ?ticks=T1,T2,...  draws exactly those frames and stops (for tests)
//   ?bench            draws a fixed schedule and reports milliseconds a frame
const width = 640;
const height = 480;
const canvasFormat = 0;

const canvas = document.querySelector('canvas');
const context = canvas.getContext('2d');
const report = document.getElementById('report');

const { instance } = await WebAssembly.instantiateStreaming(fetch('aurilo.wasm'));
const engine = instance.exports;
engine.start(canvasFormat);
// The module never grows its memory, so this view stays valid.
const image = new ImageData(new Uint8ClampedArray(engine.memory.buffer, engine.pixels(), width * height * 4), width, height);

// The engine's placement rule, the same as the Linux hack's.
function fitCanvas() {
  const placed = engine.fit(window.innerWidth, window.innerHeight);
  const [x, y, shownWidth, shownHeight] = new Uint32Array(engine.memory.buffer, placed, 4);
  Object.assign(canvas.style, {
    width: `${shownWidth}px`,
    height: `${shownHeight}px`,
    left: `${x}px`,
    top: `${y}px`,
  });
}

function show() {
  context.putImageData(image, 0, 0);
}

function drawTicks(ticks) {
  for (const tick of ticks)
    engine.drawFrame(tick);
  show();
  document.body.dataset.drawn = String(ticks.length);
}

// Ten seconds at 60 frames a second, as aurilo-render --fps 60 --seconds 10.
// The best of several passes: the first ones let the browser finish compiling.
function bench() {
  const frames = 600;
  const passes = 12;
  let best = Infinity;
  for (let pass = 0; pass < passes; ++pass) {
    const started = performance.now();
    engine.start(canvasFormat);
    for (let k = 1; k <= frames; ++k)
      engine.drawFrame(Math.floor(k * 1000 / 60));
    best = Math.min(best, performance.now() - started);
  }
  const perFrame = best / frames;
  show();
  report.textContent = `${perFrame.toFixed(3)} ms per frame (${frames} frames, best of ${passes})`;
  document.body.dataset.msPerFrame = String(perFrame);
}

function run() {
  document.body.classList.add('running');
  const startedAt = performance.now();
  const frame = () => {
    engine.drawFrame(Math.floor(performance.now() - startedAt) >>> 0);
    show();
    requestAnimationFrame(frame);
  };
  requestAnimationFrame(frame);
  const enterFullScreen = () => {
    if (!document.fullscreenElement)
      document.documentElement.requestFullscreen().catch(() => {});
  };
  window.addEventListener('click', enterFullScreen);
  window.addEventListener('keydown', enterFullScreen);
}

fitCanvas();
window.addEventListener('resize', fitCanvas);
const query = new URLSearchParams(location.search);
if (query.has('ticks')) {
  drawTicks(query.get('ticks').split(',').map(Number));
} else if (query.has('bench')) {
  bench();
} else {
  run();
}
