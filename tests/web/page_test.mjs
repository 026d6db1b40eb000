// The page in Debian's Chromium, headless, served on 127.0.0.1: its canvas
// holds exactly what aurilo-render draws for the same ticks; it is shown x2 in
// 1920x1080 (pixel for pixel in a lossless screenshot), x1 in 800x600 and
// scaled down whole in 400x300; left running it animates; nothing goes to the
// console as an error.
//   node page_test.mjs NATIVE-BUILD           the checks
//   node page_test.mjs NATIVE-BUILD --bench   ms a frame, the page beside aurilo-render
import { execFileSync, spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

const [build, mode] = process.argv.slice(2);
const render = path.join(path.resolve(build), 'tools/aurilo-render');
const site = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../web');
const work = mkdtempSync(path.join(tmpdir(), 'aurilo-web-'));
const width = 640;
const height = 480;

let passed = 0;
let failed = 0;
function expect(description, ok, detail = '') {
  if (ok) ++passed; else ++failed;
  console.log(`${ok ? 'ok' : 'FAIL'}: ${description}${ok || !detail ? '' : ` (${detail})`}`);
}

function startServer() {
  const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', site],
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
    const data = document.querySelector('canvas').getContext('2d').getImageData(0, 0, 640, 480).data;
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
    || document.body.classList.contains('running'));
}

// After the page has had its resize event and a frame.
async function resize(page, width, height) {
  await page.setViewport({ width, height });
  await page.waitForFunction((w, h) => innerWidth === w && innerHeight === h, {}, width, height);
  await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => done())));
}

async function canvasBox(page) {
  return page.evaluate(() => {
    const box = document.querySelector('canvas').getBoundingClientRect();
    return [box.x, box.y, box.width, box.height].join(',');
  });
}

// The screenshot shows the frame blown up x2 at (320, 60), black elsewhere.
function screenshotIsTheFrameDoubled(png, raw) {
  const rgb = execFileSync('convert', ['png:-', '-depth', '8', 'rgb:-'], { input: png, maxBuffer: 1 << 24 });
  let wrong = 0;
  for (let y = 0; y < 1080; ++y)
    for (let x = 0; x < 1920; ++x) {
      const at = 3 * (y * 1920 + x);
      const inside = x >= 320 && x < 1600 && y >= 60 && y < 1020;
      const source = inside ? 4 * (((y - 60) >> 1) * width + ((x - 320) >> 1)) : -1;
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

  const ticks = [0, 16, 33, 1017, 5000, 12345];
  const frame = rendererFrame(ticks);
  await page.setViewport({ width: 1920, height: 1080 });
  await openAt(page, `${address}?ticks=${ticks.join(',')}`);
  expect('1920x1080: the canvas is shown x2, centred', await canvasBox(page) === '320,60,1280,960',
    await canvasBox(page));
  const wrong = screenshotIsTheFrameDoubled(await page.screenshot({ type: 'png' }), frame);
  expect('... each pixel a crisp 2x2 block, black around (lossless screenshot)', wrong === 0, `${wrong} differ`);
  for (const [viewport, box] of [[[800, 600], '80,60,640,480'], [[400, 300], '0,0,400,300'],
    [[300, 400], '0,87,300,225'], [[1366, 768], '363,144,640,480']]) {
    await resize(page, viewport[0], viewport[1]);
    expect(`${viewport.join('x')}: the canvas is at ${box}`, await canvasBox(page) === box, await canvasBox(page));
  }

  await page.setViewport({ width: 1280, height: 720 });
  await openAt(page, address);
  await new Promise((done) => setTimeout(done, 300));
  const first = await canvasPixels(page);
  await new Promise((done) => setTimeout(done, 1000));
  const second = await canvasPixels(page);
  expect('left running, two frames a second apart differ', !first.equals(second));
  expect('... the cursor is hidden', await page.evaluate(() => getComputedStyle(document.body).cursor) === 'none');
}

async function bench(page, address) {
  await openAt(page, `${address}?bench`);
  const browser = Number(await page.evaluate(() => document.body.dataset.msPerFrame));
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
    + ` (${(browser / native).toFixed(2)}x native)`);
}

const { server, address } = await startServer();
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--force-device-scale-factor=1', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
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
