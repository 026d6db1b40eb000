// The page in Debian's Chromium, headless, served on 127.0.0.1: its frame
// holds exactly what aurilo-render draws for the same ticks; at device pixel
// ratios 1, 1.25, 1.5 and 2 a lossless screenshot shows it blown up k x k
// device pixels, placed by the hack's rule in device pixels; x1 in 800x600 and
// scaled down whole in 400x300; left running it animates from tick 0; the
// one-file page, alone in a folder, draws the same frames from file://, where
// the served page says in words that it cannot start; nothing goes to the
// console as an error. A ?ticks= list the renderer refuses draws nothing and
// says why; served without its module, the page names it.
//   node page_test.mjs NATIVE-BUILD           the checks
//   node page_test.mjs NATIVE-BUILD --bench   ms a frame, the page beside aurilo-render, and shown
import { execFileSync, spawn } from 'node:child_process';
import { copyFileSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

const [build, mode] = process.argv.slice(2);
const render = path.join(path.resolve(build), 'tools/aurilo-render');
const site = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../web');
const singlePage = path.resolve(site, '../build/web/aurilo.html');
const work = mkdtempSync(path.join(tmpdir(), 'aurilo-web-'));
const width = 640;
const height = 480;

let passed = 0;
let failed = 0;
function expect(description, ok, detail = '') {
  if (ok) ++passed; else ++failed;
  console.log(`${ok ? 'ok' : 'FAIL'}: ${description}${ok || !detail ? '' : ` (${detail})`}`);
}

function startServer(folder = site) {
  const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', folder],
    { stdio: ['ignore', 'pipe', 'ignore'] });
  return new Promise((resolve, reject) => {
    server.stdout.on('data', (text) => {
      const port = /port (\d+)/.exec(String(text));
      if (port) resolve({ server, address: `http://127.0.0.1:${port[1]}/` });
    });
    server.on('exit', () => reject(new Error('the static server did not start')));
  });
}

function rendererFrame(ticks) {
  const file = path.join(work, 'frame.raw');
  execFileSync(render, ['--format', '32', '--ticks', ticks.join(','), '--raw', file]);
  return readFileSync(file);
}

// The renderer's 32-bit pixels lie blue, green, red, 0; the canvas's red, green, blue, alpha.
function differences(rgba, raw) {
  let wrong = 0;
  for (let i = 0; i < width * height; ++i) {
    const same = rgba[4 * i] === raw[4 * i + 2] && rgba[4 * i + 1] === raw[4 * i + 1]
      && rgba[4 * i + 2] === raw[4 * i] && rgba[4 * i + 3] === 255;
    if (!same) ++wrong;
  }
  return wrong;
}

async function canvasPixels(page) {
  const text = await page.evaluate(() => {
    const data = document.getElementById('frame').getContext('2d').getImageData(0, 0, 640, 480).data;
    let binary = '';
    for (let i = 0; i < data.length; i += 0x8000)
      binary += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
    return btoa(binary);
  });
  return Buffer.from(text, 'base64');
}

async function openAt(page, url) {
  await page.goto(url);
  await page.waitForFunction(() => document.body.dataset.drawn || document.body.dataset.msPerFrame
    || document.body.classList.contains('running') || document.body.dataset.failed);
}

// After the page has had its resize event and a frame.
async function resize(page, width, height, deviceScaleFactor = 1) {
  await page.setViewport({ width, height, deviceScaleFactor });
  await page.waitForFunction((w, h) => innerWidth === w && innerHeight === h, {}, width, height);
  await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => done())));
}

// The shown canvas's box in device pixels.
async function canvasBox(page) {
  return page.evaluate(() => {
    const box = document.getElementById('screen').getBoundingClientRect();
    return [box.x, box.y, box.width, box.height].map((v) => Math.round(v * devicePixelRatio)).join(',');
  });
}

// The screenshot shows the frame blown up k x k at (left, top), black elsewhere.
function screenshotShowsTheFrame(png, raw, [left, top, shownWidth], size) {
  const k = shownWidth / width;
  const rgb = execFileSync('convert', ['png:-', '-depth', '8', 'rgb:-'], { input: png, maxBuffer: 1 << 25 });
  if (rgb.length !== 3 * size[0] * size[1])
    return Infinity;
  let wrong = 0;
  for (let y = 0; y < size[1]; ++y)
    for (let x = 0; x < size[0]; ++x) {
      const at = 3 * (y * size[0] + x);
      const inside = x >= left && x < left + k * width && y >= top && y < top + k * height;
      const source = inside ? 4 * (Math.floor((y - top) / k) * width + Math.floor((x - left) / k)) : -1;
      const want = inside ? [raw[source + 2], raw[source + 1], raw[source]] : [0, 0, 0];
      if (rgb[at] !== want[0] || rgb[at + 1] !== want[1] || rgb[at + 2] !== want[2]) ++wrong;
    }
  return wrong;
}

const sixtyHertz = (seconds) => Array.from({ length: 60 * seconds }, (_, k) => Math.floor((k + 1) * 1000 / 60));

async function checks(page, address) {
  const schedules = [
    ['a single frame at tick 0', [0]],
    ['a 60 Hz run of 3 s', sixtyHertz(3)],
    ['uneven jumps', [0, 5, 5, 1017, 1018, 5000, 12345, 60000, 3600000]],
  ];
  await page.setViewport({ width: 800, height: 600 });
  for (const [name, ticks] of schedules) {
    await openAt(page, `${address}?ticks=${ticks.join(',')}`);
    const wrong = differences(await canvasPixels(page), rendererFrame(ticks));
    expect(`${name}: the canvas equals aurilo-render --format 32, value for value, opaque`, wrong === 0,
      `${wrong} pixels differ`);
  }

  // A list the renderer refuses draws nothing here either, and the page says why.
  for (const [list, words] of [['abc', "?ticks: bad tick 'abc'"], ['5,3', '?ticks: ticks must be ascending: 3 follows 5'],
    ['', "?ticks: bad tick ''"]]) {
    await openAt(page, `${address}?ticks=${list}`);
    const shown = await page.evaluate(() => [document.getElementById('report').textContent, 'drawn' in document.body.dataset]);
    expect(`?ticks=${list}: the page says "${words}" and draws no frame`,
      shown[0] === `Aurilo cannot draw these frames: ${words}` && !shown[1]
      && (await canvasPixels(page)).every((value) => value === 0), shown[0]);
  }

  await page.setViewport({ width: 1920, height: 1080 });
  await openAt(page, `${address}?ticks=${ticks.join(',')}`);
  for (const [viewport, box] of [[[800, 600], '80,60,640,480'], [[400, 300], '0,0,400,300'],
    [[300, 400], '0,87,300,225'], [[1366, 768], '363,144,640,480']]) {
    await resize(page, viewport[0], viewport[1]);
    expect(`${viewport.join('x')}: the canvas is at ${box}`, await canvasBox(page) === box, await canvasBox(page));
  }

  await page.setViewport({ width: 1280, height: 720 });
  await openAt(page, address);
  // The class is set before the first animation frame, which sets the tick.
  await page.waitForFunction(() => document.body.dataset.firstTick !== undefined);
  expect('left running, the first frame is drawn at tick 0',
    await page.evaluate(() => document.body.dataset.firstTick) === '0');
  await new Promise((done) => setTimeout(done, 300));
  const first = await canvasPixels(page);
  await new Promise((done) => setTimeout(done, 1000));
  const second = await canvasPixels(page);
  expect('... two frames a second apart differ', !first.equals(second));
  expect('... the cursor is hidden', await page.evaluate(() => getComputedStyle(document.body).cursor) === 'none');

  // Opened from disk, the one-file page, alone in a folder, draws.
  const folder = mkdtempSync(path.join(work, 'alone-'));
  copyFileSync(singlePage, path.join(folder, 'aurilo.html'));
  await openAt(page, `file://${folder}/aurilo.html?ticks=${ticks.join(',')}`);
  const wrong = differences(await canvasPixels(page), frame);
  expect('aurilo.html alone in a folder, from file://, draws the same frames', wrong === 0, `${wrong} differ`);
}

// Its console errors are expected: the browser refuses the module.
async function servedPageFromDisk(page) {
  await page.goto(`file://${site}/index.html`);
  const words = await page.waitForFunction(() => document.getElementById('report').textContent, { timeout: 10000 })
    .then((text) => text.jsonValue(), () => '');
  expect('index.html from file:// says in words that it cannot start', /could not/.test(words), words);
}

// Served without its module, the page names what it could not load.
async function servedWithoutTheModule(page) {
  const folder = mkdtempSync(path.join(work, 'no-module-'));
  for (const name of ['index.html', 'aurilo.js'])
    copyFileSync(path.join(site, name), path.join(folder, name));
  const { server, address } = await startServer(folder);
  try {
    await openAt(page, address);
    const words = await page.evaluate(() => document.getElementById('report').textContent);
    expect('served without aurilo.wasm, the page says it could not load aurilo.wasm',
      /could not start its engine: aurilo\.wasm: 404/.test(words), words);
  } finally {
    server.kill();
  }
}

// At each device pixel ratio, CSS window sizes and where the canvas must go
// in device pixels; the first is checked in a lossless screenshot too.
const ratios = [
  [1, [[[1920, 1080], '320,60,1280,960']]],
  [1.25, [[[1536, 864], '320,60,1280,960'], [[1024, 768], '0,0,1280,960'], [[800, 600], '180,135,640,480']]],
  [1.5, [[[1280, 720], '320,60,1280,960'], [[1000, 700], '110,45,1280,960']]],
  [2, [[[1280, 800], '320,80,1920,1440'], [[960, 540], '320,60,1280,960']]],
];

async function crispAtRatio(address, ratio, windows) {
  const browser = await launch(ratio);
  try {
    const page = await browser.newPage();
    // The first window size opens the page; the page follows the others.
    for (const [index, [[cssWidth, cssHeight], box]] of windows.entries()) {
      if (index === 0) {
        await page.setViewport({ width: cssWidth, height: cssHeight, deviceScaleFactor: ratio });
        await openAt(page, `${address}?ticks=${ticks.join(',')}`);
      } else {
        await resize(page, cssWidth, cssHeight, ratio);
      }
      const at = `ratio ${ratio}, ${cssWidth}x${cssHeight}`;
      expect(`${at}: the canvas is at ${box} in device pixels`, await canvasBox(page) === box, await canvasBox(page));
      // The first size, and the last one, which the page followed after a resize.
      if (index > 0 && index < windows.length - 1)
        continue;
      const screen = [Math.round(cssWidth * ratio), Math.round(cssHeight * ratio)];
      const wrong = screenshotShowsTheFrame(await page.screenshot({ type: 'png' }), frame, box.split(',').map(Number),
        screen);
      expect(`... each frame pixel k x k device pixels, black around (lossless screenshot)`, wrong === 0,
        `${wrong} differ`);
    }
  } finally {
    await browser.close();
  }
}

async function bench(page, address) {
  await page.setViewport({ width: 1920, height: 1080 });
  await openAt(page, `${address}?bench`);
  const browser = Number(await page.evaluate(() => document.body.dataset.msPerFrame));
  const shown = Number(await page.evaluate(() => document.body.dataset.msPerShownFrame));
  // The renderer's start-up and output, timed on a single frame, come off its time for 600.
  const bestMs = (args) => {
    let best = Infinity;
    for (let pass = 0; pass < 6; ++pass) {
      const started = process.hrtime.bigint();
      execFileSync(render, ['--format', '32', ...args, '--raw', path.join(work, 'bench.raw')]);
      best = Math.min(best, Number(process.hrtime.bigint() - started) / 1e6);
    }
    return best;
  };
  const native = (bestMs(['--fps', '60', '--seconds', '10']) - bestMs(['--ticks', '0'])) / 600;
  console.log(`600 frames at 60 Hz: the page ${browser.toFixed(3)} ms a frame, aurilo-render ${native.toFixed(3)} ms`
    + ` (${(browser / native).toFixed(2)}x native); shown x2 in 1920x1080, the page ${shown.toFixed(3)} ms a frame`);
}

const launch = (ratio) => puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', `--force-device-scale-factor=${ratio}`, '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const ticks = [0, 16, 33, 1017, 5000, 12345];
const frame = rendererFrame(ticks);
const { server, address } = await startServer();
const browser = await launch(1);
try {
  const page = await browser.newPage();
  const consoleErrors = [];
  page.on('console', (message) => { if (message.type() === 'error') consoleErrors.push(message.text()); });
  page.on('pageerror', (error) => consoleErrors.push(error.message));
  if (mode === '--bench') {
    await bench(page, address);
  } else {
    await checks(page, address);
    expect('nothing was written to the console as an error', consoleErrors.length === 0, consoleErrors.join('; '));
    await servedPageFromDisk(await browser.newPage());
    await servedWithoutTheModule(await browser.newPage());
    for (const [ratio, windows] of ratios)
      await crispAtRatio(address, ratio, windows);
  }
} finally {
  await browser.close();
  server.kill();
  rmSync(work, { recursive: true, force: true });
}
if (mode !== '--bench') {
  console.log(`${passed} passed, ${failed} failed`);
  process.exitCode = failed === 0 ? 0 : 1;
}
