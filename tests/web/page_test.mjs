// The page in three browser engines, the same checks in each: Debian's
// Chromium (headless, over the DevTools protocol), Firefox ESR (headless, over
// WebDriver BiDi) and WebKitGTK (its MiniBrowser on a private Xvfb screen,
// over W3C WebDriver). Served on 127.0.0.1, its frame holds exactly what
// aurilo-render draws for the same ticks; at each device pixel ratio the
// engine can be given (Chromium and Firefox 1, 1.25, 1.5 and 2, WebKitGTK 1
// and 2) a lossless screenshot shows it blown up k x k device pixels, placed
// by the hack's rule in device pixels; x1 in 800x600 and scaled down whole in
// 460x300 and 460x400; left running it animates from tick 0 and reports no
// failure; the one-file page, alone in a folder, draws the same frames from
// file://, where the served page draws them too or says in words that it
// cannot start; nothing goes to the console as an error (where the engine
// lets it be read: not WebKitGTK's). A ?ticks= list the renderer refuses draws
// nothing and says why; served without its module, or with a module that
// lacks the engine, the page says so.
//   node page_test.mjs NATIVE-BUILD [ENGINE...]  the checks in chromium, firefox and webkit, or those named
//   node page_test.mjs NATIVE-BUILD --bench      ms a frame in Chromium, the page beside aurilo-render, and shown
import { execFileSync, spawn } from 'node:child_process';
import { copyFileSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

const [build, ...options] = process.argv.slice(2);
const benchMode = options.includes('--bench');
const named = options.filter((option) => option !== '--bench');
const render = path.join(path.resolve(build ?? ''), 'tools/aurilo-render');
const site = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../web');
const singlePage = path.resolve(site, '../build/web/aurilo.html');
const width = 640;
const height = 480;

let passed = 0;
let failed = 0;
let engineName = '';
function expect(description, ok, detail = '') {
  if (ok) ++passed; else ++failed;
  const where = engineName ? `${engineName}: ` : '';
  console.log(`${ok ? 'ok' : 'FAIL'}: ${where}${description}${ok || !detail ? '' : ` (${detail})`}`);
}

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// Ends a process this test started, by its pid, and waits for it.
function end(child) {
  if (child.pid === undefined || child.exitCode !== null || child.signalCode !== null)
    return Promise.resolve();
  return new Promise((done) => {
    child.once('exit', done);
    child.kill();
  });
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
    server.on('error', reject);
  });
}

// --- the engines: each session opens pages, runs scripts in them, sizes the
// viewport in CSS pixels and takes screenshots in device pixels.

// The browsers keep their profiles and caches under a home of their own, removed with the rest.
function browserEnvironment(home) {
  return { ...process.env, HOME: home, XDG_CONFIG_HOME: `${home}/.config`, XDG_CACHE_HOME: `${home}/.cache`,
    XDG_DATA_HOME: `${home}/.local/share` };
}

async function puppeteerSession(launchOptions, viewportOptions) {
  const browser = await puppeteer.launch(launchOptions);
  try {
    const page = await browser.newPage();
    const consoleErrors = [];
    page.on('console', (message) => { if (message.type() === 'error') consoleErrors.push(message.text()); });
    page.on('pageerror', (error) => consoleErrors.push(error.message));
    return {
      consoleErrors,
      open: (url) => page.goto(url),
      evaluate: (script, ...args) => page.evaluate(script, ...args),
      setViewport: (cssWidth, cssHeight) =>
        page.setViewport({ width: cssWidth, height: cssHeight, ...viewportOptions }),
      screenshot: () => page.screenshot({ type: 'png' }),
      // From the next page on, as in WebKit; the last media query asked is kept.
      hideDevicePixelBox: () => page.evaluateOnNewDocument(() => {
        delete ResizeObserverEntry.prototype.devicePixelContentBoxSize;
        const ask = matchMedia.bind(window);
        window.matchMedia = (query) => (window.lastMediaQuery = ask(query));
      }),
      // Emulation tells no media query: the change is told as a browser tells it.
      emulateRatio: async (ratio, cssWidth, cssHeight) => {
        await page.setViewport({ width: cssWidth, height: cssHeight, deviceScaleFactor: ratio });
        await page.evaluate(() => window.lastMediaQuery.dispatchEvent(new Event('change')));
      },
      close: () => browser.close(),
    };
  } catch (error) {
    await browser.close();
    throw error;
  }
}

function childrenOf(pid) {
  return readdirSync('/proc').filter((entry) => /^\d+$/.test(entry)).filter((entry) => {
    try {
      // The parent's pid follows the command's name, which is in parentheses.
      return readFileSync(`/proc/${entry}/stat`, 'utf8').replace(/^.*\) /s, '').split(' ')[1] === String(pid);
    } catch {
      return false;
    }
  });
}

function freePort() {
  return new Promise((resolve, reject) => {
    const probe = createServer().listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    }).on('error', reject);
  });
}

// WebKitWebDriver starts the MiniBrowser on an X display: a private Xvfb, which
// picks a free display number itself. GDK_SCALE is the device pixel ratio.
async function webkitSession(ratio, home) {
  const cleanUp = [];
  const closeAll = async () => {
    for (const step of cleanUp.reverse())
      await step().catch(() => {});
  };
  try {
    const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '4096x2400x24', '-nolisten', 'tcp'],
      { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
    cleanUp.push(() => end(xvfb));
    const display = await new Promise((resolve, reject) => {
      let text = '';
      xvfb.stdio[3].on('data', (data) => {
        text += data;
        if (text.includes('\n')) resolve(text.trim());
      });
      xvfb.on('exit', () => reject(new Error('Xvfb did not start')));
      xvfb.on('error', (error) => reject(new Error(`Xvfb did not start: ${error.message}`)));
      setTimeout(() => reject(new Error('Xvfb named no display within 30 s')), 30000).unref();
    });
    const port = await freePort();
    const driver = spawn('WebKitWebDriver', [`--port=${port}`],
      { env: { ...browserEnvironment(home), DISPLAY: `:${display}`, GDK_SCALE: String(ratio) }, stdio: 'ignore' });
    cleanUp.push(() => end(driver));
    let driverError;
    driver.on('error', (error) => { driverError = error; });
    const base = `http://127.0.0.1:${port}`;
    const call = async (method, where, body) => {
      const response = await fetch(`${base}${where}`, {
        method, headers: { 'content-type': 'application/json' }, body: body && JSON.stringify(body),
      });
      const answer = await response.json();
      if (!response.ok)
        throw new Error(`WebDriver ${method} ${where}: ${answer.value?.error}: ${answer.value?.message}`);
      return answer.value;
    };
    for (let tries = 0; !(await call('GET', '/status').then((status) => status.ready, () => false)); ++tries) {
      if (driverError || driver.exitCode !== null || tries === 300) {
        throw new Error(`WebKitWebDriver did not answer on port ${port}`
          + (driverError ? `: ${driverError.message}` : ''));
      }
      await sleep(100);
    }
    const { sessionId } = await call('POST', '/session', { capabilities: {} });
    const session = `/session/${sessionId}`;
    // The driver closes its browser as the session ends; the driver goes once it has.
    cleanUp.push(async () => {
      await call('DELETE', session);
      for (let tries = 0; tries < 100 && childrenOf(driver.pid).length > 0; ++tries)
        await sleep(100);
    });
    const evaluate = (script, ...args) => call('POST', `${session}/execute/sync`,
      { script: `return (${script}).apply(null, arguments)`, args });
    return {
      consoleErrors: null,
      open: (url) => call('POST', `${session}/url`, { url }),
      evaluate,
      // The window's size is set; its toolbar takes some of it.
      setViewport: async (cssWidth, cssHeight) => {
        const [chromeWidth, chromeHeight] = await evaluate(() => [outerWidth - innerWidth, outerHeight - innerHeight]);
        await call('POST', `${session}/window/rect`,
          { width: cssWidth + chromeWidth, height: cssHeight + chromeHeight });
      },
      screenshot: async () => Buffer.from(await call('GET', `${session}/screenshot`), 'base64'),
      close: closeAll,
    };
  } catch (error) {
    await closeAll();
    throw error;
  }
}

const engines = {
  chromium: {
    ratios: [1, 1.25, 1.5, 2],
    launch: (ratio, home) => puppeteerSession({
      executablePath: '/usr/bin/chromium',
      headless: true,
      env: browserEnvironment(home),
      args: ['--no-sandbox', '--disable-gpu', `--force-device-scale-factor=${ratio}`, '--disable-quic',
        '--no-first-run', '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    }, { deviceScaleFactor: ratio }),
  },
  // The pref scales the display as a desktop's setting does; an emulated
  // ratio would leave the device-pixel box in CSS pixels.
  firefox: {
    ratios: [1, 1.25, 1.5, 2],
    launch: (ratio, home) => puppeteerSession({
      browser: 'firefox',
      executablePath: '/usr/bin/firefox-esr',
      headless: true,
      env: browserEnvironment(home),
      extraPrefsFirefox: { 'layout.css.devPixelsPerPx': String(ratio) },
    }, {}),
  },
  // GTK scales only by whole factors.
  webkit: { ratios: [1, 2], launch: webkitSession },
};

// Polled: a plain script call, which every engine has.
async function waitFor(session, script, ...args) {
  for (const deadline = Date.now() + 30000; ;) {
    const value = await session.evaluate(script, ...args);
    if (value)
      return value;
    if (Date.now() > deadline)
      throw new Error(`timed out waiting for ${String(script).replace(/\s+/g, ' ')}`);
    await sleep(50);
  }
}

async function openAt(session, url) {
  await session.open(url);
  await waitFor(session, () => document.body.dataset.drawn || document.body.dataset.msPerFrame
    || document.body.classList.contains('running') || document.body.dataset.failed);
}

// After the page has seen the new size: the resize observer runs after the
// animation frame it changed in, so two frames later.
async function resize(session, cssWidth, cssHeight) {
  await session.setViewport(cssWidth, cssHeight);
  await waitFor(session, (w, h) => innerWidth === w && innerHeight === h, cssWidth, cssHeight);
  await session.evaluate(() => new Promise((done) =>
    requestAnimationFrame(() => requestAnimationFrame(() => done(true)))));
}

// --- what the checks read

function rendererFrame(ticks, work) {
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

async function canvasPixels(session) {
  const text = await session.evaluate(() => {
    const data = document.getElementById('frame').getContext('2d').getImageData(0, 0, 640, 480).data;
    let binary = '';
    for (let i = 0; i < data.length; i += 0x8000)
      binary += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
    return btoa(binary);
  });
  return Buffer.from(text, 'base64');
}

// The shown canvas's box in device pixels.
async function canvasBox(session) {
  return session.evaluate(() => {
    const box = document.getElementById('screen').getBoundingClientRect();
    return [box.x, box.y, box.width, box.height].map((v) => Math.round(v * devicePixelRatio)).join(',');
  });
}

// What the page says, and whether it marked itself failed.
const reported = (session) => session.evaluate(() => [document.getElementById('report').textContent,
  document.body.dataset.failed === 'yes']);

// The screenshot shows the frame blown up k x k at (left, top), black elsewhere.
function screenshotShowsTheFrame(png, raw, [left, top, shownWidth], size) {
  const k = shownWidth / width;
  const rgb = execFileSync('convert', ['png:-', '-depth', '8', 'rgb:-'], { input: png, maxBuffer: 1 << 26 });
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
const ticks = [0, 16, 33, 1017, 5000, 12345];

// --- the checks, the same in every engine

async function checks(session, address, frame, work) {
  const schedules = [
    ['a single frame at tick 0', [0]],
    ['a 60 Hz run of 3 s', sixtyHertz(3)],
    ['uneven jumps', [0, 5, 5, 1017, 1018, 5000, 12345, 60000, 3600000]],
  ];
  await resize(session, 800, 600);
  for (const [name, schedule] of schedules) {
    await openAt(session, `${address}?ticks=${schedule.join(',')}`);
    const wrong = differences(await canvasPixels(session), rendererFrame(schedule, work));
    expect(`${name}: the canvas equals aurilo-render --format 32, value for value, opaque`, wrong === 0,
      `${wrong} pixels differ`);
  }

  // A list the renderer refuses draws nothing here either, and the page says why.
  for (const [list, words] of [['abc', "?ticks: bad tick 'abc'"], ['5,3', '?ticks: ticks must not decrease: 3 follows 5'],
    ['', "?ticks: bad tick ''"],
    [Array.from({ length: 4000 }, (_, k) => 10 * k).join(','), '?ticks: too long a list']]) {
    await openAt(session, `${address}?ticks=${list}`);
    const [text, marked] = await reported(session);
    const drawn = await session.evaluate(() => 'drawn' in document.body.dataset);
    const shown = list.length > 40 ? `(${list.length} characters)` : list;
    expect(`?ticks=${shown}: the page says "${words}" and draws no frame`,
      text === `Aurilo cannot draw these frames: ${words}` && marked && !drawn
      && (await canvasPixels(session)).every((value) => value === 0), text);
  }

  await resize(session, 1920, 1080);
  await openAt(session, `${address}?ticks=${ticks.join(',')}`);
  // Smaller than the frame, but wider than WebKitGTK's narrowest window (447).
  for (const [viewport, box] of [[[800, 600], '80,60,640,480'], [[460, 300], '30,0,400,300'],
    [[460, 400], '0,27,460,345'], [[1366, 768], '363,144,640,480']]) {
    await resize(session, viewport[0], viewport[1]);
    const shown = await canvasBox(session);
    expect(`${viewport.join('x')}: the canvas is at ${box}`, shown === box, shown);
  }

  await resize(session, 1280, 720);
  await openAt(session, address);
  // The class is set before the first animation frame, which sets the tick.
  await waitFor(session, () => document.body.dataset.firstTick !== undefined);
  expect('left running, the first frame is drawn at tick 0',
    await session.evaluate(() => document.body.dataset.firstTick) === '0');
  await sleep(300);
  const first = await canvasPixels(session);
  await sleep(1000);
  const second = await canvasPixels(session);
  expect('... two frames a second apart differ', !first.equals(second));
  expect('... the cursor is hidden', await session.evaluate(() => getComputedStyle(document.body).cursor) === 'none');
  const [words, marked] = await reported(session);
  expect('... and the page reports no failure', words === '' && !marked, words);

  // Opened from disk, the one-file page, alone in a folder, draws.
  const folder = mkdtempSync(path.join(work, 'alone-'));
  copyFileSync(singlePage, path.join(folder, 'aurilo.html'));
  await openAt(session, `file://${folder}/aurilo.html?ticks=${ticks.join(',')}`);
  const wrong = differences(await canvasPixels(session), frame);
  expect('aurilo.html alone in a folder, from file://, draws the same frames', wrong === 0, `${wrong} differ`);

  if (session.consoleErrors)
    expect('nothing was written to the console as an error', session.consoleErrors.length === 0,
      session.consoleErrors.join('; '));
}

// Where the page cannot start, it says so in words and marks itself failed.
// Console errors are expected from here on.
async function failures(session, frame, work) {
  // Some engines load the module from disk and draw.
  await openAt(session, `file://${site}/index.html?ticks=${ticks.join(',')}`);
  const [fromDisk, markedFromDisk] = await reported(session);
  if (markedFromDisk) {
    expect('index.html from file:// says in words that it cannot start', /could not/.test(fromDisk), fromDisk);
  } else {
    const wrong = differences(await canvasPixels(session), frame);
    expect('index.html from file:// loads its module and draws the same frames', wrong === 0, `${wrong} differ`);
  }

  // Served without its module it names what it could not load; with a module
  // that holds no engine it fails after loading it, and says so too.
  const emptyModule = Buffer.from([0x00, 0x61, 0x73, 0x6d, 0x01, 0x00, 0x00, 0x00]);
  for (const [name, module, pattern] of [
    ['without aurilo.wasm, the page says it could not load aurilo.wasm', null,
      /^Aurilo could not start its engine: aurilo\.wasm: 404/],
    ['with a module that exports nothing, the page says it could not start', emptyModule,
      /^Aurilo could not start: .*engine\.start/]]) {
    const folder = mkdtempSync(path.join(work, 'served-'));
    for (const file of ['index.html', 'aurilo.js'])
      copyFileSync(path.join(site, file), path.join(folder, file));
    if (module)
      writeFileSync(path.join(folder, 'aurilo.wasm'), module);
    const { server, address } = await startServer(folder);
    try {
      await openAt(session, address);
      const [words, marked] = await reported(session);
      expect(`served ${name}`, pattern.test(words) && marked, words);
    } finally {
      await end(server);
    }
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

// A screenshot may come before the engine has painted the last resize: a few
// seconds for the frame to show, as the X and Wayland captures get.
async function screenshotDifferences(session, frame, box, screen) {
  let wrong = screenshotShowsTheFrame(await session.screenshot(), frame, box, screen);
  for (const deadline = Date.now() + 5000; wrong !== 0 && Date.now() < deadline;) {
    await sleep(250);
    wrong = screenshotShowsTheFrame(await session.screenshot(), frame, box, screen);
  }
  return wrong;
}

async function crispAtRatio(session, address, frame, ratio, windows) {
  // The first window size opens the page; the page follows the others.
  for (const [index, [[cssWidth, cssHeight], box]] of windows.entries()) {
    await resize(session, cssWidth, cssHeight);
    if (index === 0)
      await openAt(session, `${address}?ticks=${ticks.join(',')}`);
    const at = `ratio ${ratio}, ${cssWidth}x${cssHeight}`;
    const shown = await canvasBox(session);
    expect(`${at}: the canvas is at ${box} in device pixels`, shown === box, shown);
    // The first size, and the last one, which the page followed after a resize.
    if (index > 0 && index < windows.length - 1)
      continue;
    const screen = [Math.round(cssWidth * ratio), Math.round(cssHeight * ratio)];
    const wrong = await screenshotDifferences(session, frame, box.split(',').map(Number), screen);
    expect('... each frame pixel k x k device pixels, black around (lossless screenshot)', wrong === 0,
      `${wrong} differ`);
  }
}

async function bench(session, address, work) {
  await resize(session, 1920, 1080);
  await openAt(session, `${address}?bench`);
  const browser = Number(await session.evaluate(() => document.body.dataset.msPerFrame));
  const shown = Number(await session.evaluate(() => document.body.dataset.msPerShownFrame));
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

// Without the device-pixel box (WebKit's case; WebDriver cannot zoom WebKit)
// the page hears of a new ratio only through a resolution query, asked anew
// after each change: Chromium, the box hidden, changes its ratio twice.
async function followsTheRatioTwice(session, address) {
  await session.hideDevicePixelBox();
  await resize(session, 1280, 800);
  await openAt(session, `${address}?ticks=${ticks.join(',')}`);
  for (const [ratio, box] of [[1.5, '320,120,1280,960'], [2, '320,80,1920,1440']]) {
    await session.emulateRatio(ratio, 1280, 800);
    const shown = await canvasBox(session); // the change is told at once, and the page follows at once
    expect(`without the device-pixel box, 1280x800 at ratio ${ratio}: the canvas at ${box}`, shown === box, shown);
  }
}

// A session that cannot start, or a step that throws, is a failure in words.
async function inSession(engine, ratio, home, what, steps) {
  let session;
  try {
    session = await engine.launch(ratio, home);
    await steps(session);
  } catch (error) {
    expect(what, false, error.message);
  } finally {
    await session?.close();
  }
}

const unknown = named.filter((name) => !(name in engines));
if (!build || unknown.length > 0) {
  console.error(`usage: node page_test.mjs NATIVE-BUILD [${Object.keys(engines).join('|')}...] [--bench]`
    + (unknown.length > 0 ? ` (no engine called ${unknown.join(', ')})` : ''));
  process.exit(2);
}
const work = mkdtempSync(path.join(tmpdir(), 'aurilo-web-'));
const home = path.join(work, 'home');
mkdirSync(home);
let server;
try {
  const frame = rendererFrame(ticks, work);
  let address;
  ({ server, address } = await startServer());
  if (benchMode) {
    engineName = 'chromium';
    await inSession(engines.chromium, 1, home, 'the benchmark ran', (session) => bench(session, address, work));
  } else {
    for (const name of named.length > 0 ? named : Object.keys(engines)) {
      engineName = name;
      const engine = engines[name];
      await inSession(engine, 1, home, 'the browser ran the checks', async (session) => {
        await checks(session, address, frame, work);
        await failures(session, frame, work);
      });
      if (name === 'chromium')
        await inSession(engine, 1, home, 'the browser ran the checks',
          (session) => followsTheRatioTwice(session, address));
      for (const [ratio, windows] of ratios.filter(([ratio]) => engine.ratios.includes(ratio)))
        await inSession(engine, ratio, home, `ratio ${ratio}: the browser ran the checks`,
          (session) => crispAtRatio(session, address, frame, ratio, windows));
    }
  }
} catch (error) {
  expect('the renderer and the static server started', false, error.message);
} finally {
  if (server)
    await end(server);
  rmSync(work, { recursive: true, force: true });
}
if (!benchMode) {
  console.log(`${passed} passed, ${failed} failed`);
  process.exitCode = failed === 0 ? 0 : 1;
} else if (failed > 0) {
  process.exitCode = 1;
}
