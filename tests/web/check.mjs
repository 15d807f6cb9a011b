// The browser build in Debian's chromium, driven through puppeteer-core:
//   node check.mjs DIST_DIR SHOTS_DIR OUT_DIR
// DIST_DIR is dist/web, served gzipped as a host should (scripts/serve-web);
// SHOTS_DIR holds the headless runner's frames for seed 7 as raw RGBA
// (title-N.rgba after N title ticks, play.rgba); OUT_DIR receives
// screenshots and figures.json.
//
// The page as players meet it:
// - the first title frame equals a headless title frame; the sound is held
//   back until the first click, with a note; the click starts the game, the
//   status box is drawn as the headless runner draws it, answers by clicks
//   raise the score (the 20 ms ticks counted over 20 s);
// - the best: the game over stores it quietly (no box) in this tab and in
//   two others opened before, which take it over; one of them closed as a
//   tab, the other by the page's x (the game's own close, its box) keep it;
//   a reload keeps it; a tab closed during a game keeps it; 初期化 (Space)
//   lowers it for good;
// - the picture at 390x844, 844x390, 1280x800 and 1920x1080: as large as
//   fits, 4:3, whole factors from 2 up, never cut, the bar and the line
//   under it at the same scale; touches on the pixels either side of the
//   halves' border answer as those pixels do; the ended frame at the scale;
// - offline: the manifest and service worker make no installability errors,
//   and with the network gone a reload plays;
// - mute: the waves and the music fall silent, the game goes on, the choice
//   is kept;
// - a first visit over 9 Mbit/s with 40 ms latency: the title frame within
//   2 s and the whole transfer (gzipped) at most 1.2 MB.
// No console errors at any point. Reported, not judged: the share of 20 ms
// ticks delivered.
import crypto from 'node:crypto';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import puppeteer from 'puppeteer-core';

const [distArg, shotsDir, outDir] = process.argv.slice(2);
if (!outDir) {
  console.error('usage: node check.mjs DIST_DIR SHOTS_DIR OUT_DIR');
  process.exit(2);
}
const distDir = path.resolve(distArg);
const W = 400, H = 300, SEED = 7;

const failures = [];
const check = (ok, what) => {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures.push(what);
  return ok;
};
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
async function until(what, probe, timeoutMs = 10000, everyMs = 25) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const value = await probe();
    if (value) return value;
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await sleep(everyMs);
  }
}

// A static server over DIST_DIR as a host should serve it (scripts/serve-web):
// gzip for all but the music and pictures, revalidation by ETag. It counts
// the bytes it sends for each file; `offline` makes it drop every request.
const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.ogg': 'audio/ogg', '.ttf': 'font/ttf', '.data': 'application/octet-stream',
                '.png': 'image/png', '.svg': 'image/svg+xml', '.webmanifest': 'application/manifest+json' };
const stored = new Set(['.ogg', '.png']);
const packed = new Map();
let sent = new Map();
let offline = false;
const server = http.createServer((req, res) => {
  if (offline) {
    req.socket.destroy();
    return;
  }
  const name = decodeURIComponent(new URL(req.url, 'http://x').pathname).replace(/\/$/, '/index.html');
  const file = path.join(distDir, path.normalize(name));
  if (!file.startsWith(distDir + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
    res.writeHead(404).end();
    return;
  }
  let body = fs.readFileSync(file);
  const etag = '"' + crypto.createHash('sha1').update(body).digest('hex') + '"';
  const headers = { 'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                    'Cache-Control': 'no-cache', ETag: etag };
  if (req.headers['if-none-match'] === etag) {
    res.writeHead(304, headers).end();
    return;
  }
  if (!stored.has(path.extname(file))) {
    headers.Vary = 'Accept-Encoding';
    if (/\bgzip\b/.test(req.headers['accept-encoding'] || '')) {
      if (!packed.has(etag)) packed.set(etag, zlib.gzipSync(body, { level: 9 }));
      body = packed.get(etag);
      headers['Content-Encoding'] = 'gzip';
    }
  }
  headers['Content-Length'] = body.length;
  const rel = path.relative(distDir, file);
  if (!sent.has(rel)) sent.set(rel, body.length);
  res.writeHead(200, headers);
  res.end(body);
});
await new Promise((r) => server.listen(0, '127.0.0.1', r));
// localhost: a secure context, where service workers run.
const base = `http://localhost:${server.address().port}/`;

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kesto-chromium-'));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: false,  // the flags below say it, exactly
  userDataDir: profile,
  defaultViewport: { width: 1000, height: 760, hasTouch: true },
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync',
         '--window-size=1000,760'],
});

const errors = [];
// A tab in `context` (the browser's own by default) with what the check
// asks of it: the game's state, the canvas's box, presses in picture pixels.
// A deaf tab never hears of other tabs' storing, as a frozen tab would not.
async function newTab(context = browser.defaultBrowserContext(), { deaf = false } = {}) {
  const page = await context.newPage();
  if (deaf) {
    await page.evaluateOnNewDocument(() => {
      const add = window.addEventListener;
      window.addEventListener = function (type, ...rest) {
        if (type !== 'storage') return add.call(this, type, ...rest);
      };
    });
  }
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(String(e)));
  page.on('requestfailed', (r) => { if (!offline) errors.push(`request failed: ${r.url()}`); });
  // The first 400 x 300 frame SDL puts on the canvas, and when; where the
  // sound nodes are connected.
  await page.evaluateOnNewDocument(() => {
    const put = CanvasRenderingContext2D.prototype.putImageData;
    window.__frames = { first: null, at: 0, count: 0 };
    window.__base64 = (bytes) => {
      let s = '';
      for (let i = 0; i < bytes.length; i += 0x8000) s += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
      return btoa(s);
    };
    CanvasRenderingContext2D.prototype.putImageData = function (image, ...rest) {
      if (this.canvas.id === 'canvas' && image.width === 400 && image.height === 300) {
        if (!window.__frames.first) {
          window.__frames.first = new Uint8ClampedArray(image.data);
          window.__frames.at = performance.now();
        }
        window.__frames.count++;
      }
      return put.call(this, image, ...rest);
    };
    const connect = AudioNode.prototype.connect;
    window.__connections = [];
    AudioNode.prototype.connect = function (target, ...rest) {
      window.__connections.push([this, target]);
      return connect.call(this, target, ...rest);
    };
  });
  const t = { page };
  t.state = async () => page.evaluate(() =>
    window.Module && Module._kesto_web_state ? JSON.parse(Module.UTF8ToString(Module._kesto_web_state())) : null);
  t.canvasBox = async () => page.$eval('#canvas', (c) => {
    const r = c.getBoundingClientRect();
    return { x: r.left, y: r.top, width: r.width, height: r.height, k: r.width / 400 };
  });
  t.press = async (x, y) => {
    const b = await t.canvasBox();
    await page.mouse.click(b.x + (x + 0.5) * b.k, b.y + (y + 0.5) * b.k);
  };
  t.tap = async (x, y) => {
    const b = await t.canvasBox();
    await page.touchscreen.tap(b.x + (x + 0.5) * b.k, b.y + (y + 0.5) * b.k);
  };
  t.canvasPixels = async () => Buffer.from(await page.evaluate(() =>
    window.__base64(document.getElementById('canvas').getContext('2d').getImageData(0, 0, 400, 300).data)), 'base64');
  t.audioState = async () => page.evaluate(() =>
    (Module.SDL2 && Module.SDL2.audioContext && Module.SDL2.audioContext.state) || 'none');
  t.visible = async (sel) => page.$eval(sel, (e) => !e.hidden && e.offsetParent !== null);
  // The game runs once its window is shown: its first frame is on the canvas.
  t.running = async () => until('the game to run', () => page.evaluate(() =>
    document.getElementById('loading').hidden && !!window.__frames.first && !!(window.Module &&
      Module._kesto_web_state && JSON.parse(Module.UTF8ToString(Module._kesto_web_state())))), 20000);
  t.open = async (query = `?seed=${SEED}`) => {
    await page.goto(base + query, { waitUntil: 'load' });
    await t.running();
    return t.state();
  };
  // The record the page keeps: the copy in localStorage and in IndexedDB.
  t.storedBest = async () => page.evaluate(() => {
    const copy = JSON.parse(localStorage.getItem('kesto:/kesto/dat/my.dat') || 'null');
    return copy ? copy.best : null;
  });
  t.idbRecord = async () => page.evaluate(() => new Promise((resolve, reject) => {
    const open = indexedDB.open('/kesto/dat');
    open.onerror = () => reject(open.error);
    open.onsuccess = () => {
      const get = open.result.transaction('FILE_DATA').objectStore('FILE_DATA').get('/kesto/dat/my.dat');
      get.onsuccess = () => resolve(get.result ? new TextDecoder().decode(get.result.contents) : null);
      get.onerror = () => reject(get.error);
    };
  }));
  return t;
}

const figures = {};
try {
  // Two tabs opened before any best is made, one of them deaf: the best of
  // the game played in a third reaches the first at once, the deaf one when
  // it stores.
  const early = await newTab();
  const late = await newTab(undefined, { deaf: true });
  for (const t of [early, late]) await t.open();
  const main = await newTab();
  const { page, state, canvasBox, press, canvasPixels, audioState, visible } = main;
  await main.page.bringToFront();

  // --- The title.
  await page.goto(`${base}?seed=${SEED}`, { waitUntil: 'load' });
  // puppeteer's evaluate counts as a user gesture, which would let the
  // sound start at once: nothing is asked of the page until the game has
  // made its AudioContext and asked for its music.
  await sleep(3000);
  await until('the first frame', () => page.evaluate(() => !!window.__frames.first));
  await until('the game to run', () => page.evaluate(() => document.getElementById('loading').hidden));
  figures.firstFrameLocalMs = Math.round(await page.evaluate(() => window.__frames.at));
  const first = Buffer.from(await page.evaluate(() => window.__base64(window.__frames.first)), 'base64');
  // The page's first frame follows some title ticks; it must be one the
  // headless runner drew with the same seed.
  let match = -1, fewest = Infinity;
  for (let n = 0; fs.existsSync(path.join(shotsDir, `title-${n}.rgba`)); n++) {
    const headless = fs.readFileSync(path.join(shotsDir, `title-${n}.rgba`));
    let differing = 0;
    for (let i = 0; i < W * H * 4; i += 4)
      if (headless[i] !== first[i] || headless[i + 1] !== first[i + 1] || headless[i + 2] !== first[i + 2]) differing++;
    fewest = Math.min(fewest, differing);
    if (differing === 0) { match = n; break; }
  }
  check(match >= 0, `first title frame equals the headless title frame after ${match} ticks ` +
        `(fewest differing pixels ${fewest})`);
  check(await page.title() === 'ミルタスチャレンジ', 'the page title is ミルタスチャレンジ');
  const k = (await canvasBox()).k;
  check(Number.isInteger(k) && k >= 1, `the picture is scaled by a whole factor (${k})`);
  const noted = await until('the note', () => visible('#note'), 3000).catch(() => false);
  const heldBack = await audioState();
  check(heldBack !== 'running' && noted,
        `before the first click the sound is held back and the note says so (${heldBack}, note ${noted ? 'shown' : 'hidden'})`);
  await page.screenshot({ path: path.join(outDir, 'title.png') });

  // --- The first click starts the game and the sound.
  await press(200, 150);
  await until('the game to start', async () => (await state())?.playing);
  await until('the AudioContext to run', async () => (await audioState()) === 'running', 3000)
    .catch(() => {});
  check(await audioState() === 'running', 'the AudioContext runs after the first click');
  check(!(await visible('#note')), 'the note is gone once the sound runs');
  await sleep(300);
  const play = await canvasPixels();
  const headlessPlay = fs.readFileSync(path.join(shotsDir, 'play.rgba'));
  // The status box: its frame and the fill above and left of its text.
  let boxDiffers = 0, boxPixels = 0;
  for (let y = 10; y < 40; y++) {
    for (let x = 10; x < 100; x++) {
      if (!(y <= 13 || y >= 37 || x <= 28 || x >= 97)) continue;
      const i = (y * W + x) * 4;
      boxPixels++;
      if (play[i] !== headlessPlay[i] || play[i + 1] !== headlessPlay[i + 1] || play[i + 2] !== headlessPlay[i + 2])
        boxDiffers++;
    }
  }
  check(boxDiffers === 0, `the status box appears as in the headless play frame (${boxDiffers} of ${boxPixels} differ)`);
  await page.screenshot({ path: path.join(outDir, 'play.png') });

  // --- 20 s of play: answer each question by a click on the bigger side and
  // count the ticks (frameCount goes round 0..99 once a tick).
  let s = await state();
  const startScore = s.goodCount;
  let ticks = 0, lastCount = s.frameCount, answered = 0, lastPress = 0;
  const t0 = await page.evaluate(() => performance.now());
  let t1 = t0;
  while (t1 - t0 < 20000) {
    await sleep(30);
    s = await state();
    t1 = await page.evaluate(() => performance.now());
    ticks += (s.frameCount - lastCount + 100) % 100;
    lastCount = s.frameCount;
    if (s.gameOver) break;
    // A right answer leaves the answering phases at once; the pause keeps
    // a second press off the same question.
    if (s.phase >= 5 && s.phase <= 99 && s.timeLeft > 0 && s.left !== s.right && t1 - lastPress > 150) {
      await press(s.left > s.right ? 100 : 300, 150);
      answered++;
      lastPress = t1;
    }
  }
  const expected = (t1 - t0) / 20;
  figures.ticksDelivered = ticks;
  figures.ticksExpected = Math.round(expected);
  figures.tickShare = +(ticks / expected).toFixed(4);
  s = await state();
  check(answered >= 3 && s.goodCount > startScore,
        `answers by clicks change the score (${answered} answers, score ${startScore} -> ${s.goodCount})`);

  // --- The game over stores the best quietly, here and in the other tabs.
  await until('the game to end', async () => (await state())?.gameOver, 60000, 200);
  await sleep(400);
  await page.screenshot({ path: path.join(outDir, 'gameover.png') });
  const over = await state();
  const best = over.hiScore;
  check(best === over.goodCount && best > 0, `the game over makes the score the best (${best})`);
  const quiet = await until('the best to be stored', async () => (await main.storedBest()) === best, 3000)
    .catch(() => false);
  check(quiet && !(await visible('#modal')), `the new best is stored at once, with no box (${await main.storedBest()})`);
  figures.best = { game: best };
  const taken = await until('the early tab to take the best', async () => (await early.state()).hiScore === best, 5000)
    .catch(() => false);
  check(taken, `a tab opened before takes the new best over (${(await early.state()).hiScore})`);
  check((await late.state()).hiScore === 0, 'the deaf tab has not heard of it');
  // One closed as a tab, the other by the page's x: the game's own close,
  // with its box, saves the deaf tab's 0 over a best stored after it read:
  // it takes that best instead.
  await early.page.close();
  await late.page.bringToFront();
  await late.page.click('#close');
  await until('the box in the late tab', () => late.visible('#modal'), 5000);
  check(await late.page.$eval('#modal .text', (e) => e.textContent) === 'どきゅん！！',
        'the page\'s x closes the game with its box');
  await late.page.screenshot({ path: path.join(outDir, 'saved.png') });
  const lateBest = (await late.state())?.hiScore;
  await late.page.click('#modal button');
  await until('the ended frame', () => late.visible('#ended'), 5000);
  await late.page.close();
  check(lateBest === best, `the deaf tab's close took the newer best (${lateBest})`);
  figures.best.afterTwoTabs = await main.storedBest();
  check(figures.best.afterTwoTabs === best, `two tabs opened at 0 and closed leave the best (${figures.best.afterTwoTabs})`);

  // --- A reload without the game's close, then a tab closed during a game.
  await main.page.bringToFront();
  await page.reload({ waitUntil: 'load' });
  await main.running();
  figures.best.afterReload = (await state()).hiScore;
  check(figures.best.afterReload === best, `after a reload the game has the kept best (${figures.best.afterReload})`);
  const b = await canvasBox();
  await page.touchscreen.tap(b.x + 200 * b.k, b.y + 150 * b.k);
  const touched = await until('the game to start by touch', async () => (await state())?.playing, 3000)
    .catch(() => false);
  check(touched, 'a touch on the picture starts the game');
  await page.close();
  const next = await newTab();
  figures.best.afterClosedDuringGame = (await next.open()).hiScore;
  check(figures.best.afterClosedDuringGame === best,
        `a tab closed during a game leaves the best to the next (${figures.best.afterClosedDuringGame})`);
  const record = await next.idbRecord();
  check(record !== null && record.split('\r\n')[1] === String(best),
        `the record in IndexedDB holds the best (${JSON.stringify(record)})`);

  // --- Every screen: the picture as large as fits, never cut; presses on
  // the pixels either side of the halves' border answer as those pixels.
  figures.viewports = {};
  const viewports = [
    { width: 390, height: 844, isMobile: true, hasTouch: true },
    { width: 844, height: 390, isMobile: true, hasTouch: true, isLandscape: true },
    { width: 1280, height: 800, hasTouch: true },
    { width: 1920, height: 1080, hasTouch: true },
  ];
  for (const viewport of viewports) {
    const size = `${viewport.width}x${viewport.height}`;
    await next.page.setViewport(viewport);
    await next.page.reload({ waitUntil: 'load' });
    await next.running();
    const box = await next.canvasBox();
    const bar = await next.page.$eval('#bar', (e) => e.getBoundingClientRect().toJSON());
    const help = await next.page.$eval('#help', (e) => e.getBoundingClientRect().toJSON());
    const frame = await next.page.$eval('#frame', (e) => e.getBoundingClientRect().toJSON());
    figures.viewports[size] = { x: box.x, y: box.y, width: box.width, height: box.height, scale: +box.k.toFixed(4) };
    const room = Math.min(viewport.width / 400, viewport.height / 346);
    const inside = frame.left >= 0 && frame.top >= 0 && frame.right <= viewport.width + 0.01 &&
                   frame.bottom <= viewport.height + 0.01;
    const fourThree = Math.abs(box.width * 3 - box.height * 4) < 0.01;
    const scaleOk = room >= 2 ? box.k === Math.floor(room)
                              : box.k <= room && box.k > room - 4 / 400;
    check(inside && fourThree && scaleOk,
          `${size}: the picture ${box.width}x${box.height} (scale ${box.k.toFixed(3)}) is whole, 4:3 and as large as fits`);
    check(Math.abs(bar.height - 26 * box.k) < 0.5 && Math.abs(help.height - 20 * box.k) < 0.5 &&
          Math.abs(bar.width - box.width) < 0.5,
          `${size}: the bar (${bar.height.toFixed(1)} px) and the line under the picture grow with it`);
    await next.page.screenshot({ path: path.join(outDir, `view-${size}.png`) });
    // Touches answer: the left half ends at x 200, the right begins at 201.
    await next.tap(200, 150);
    await until('the game to start', async () => (await next.state())?.playing, 3000);
    let st = await next.state();
    const score = st.goodCount;
    let answers = 0;
    while (answers < 2) {
      st = await until('a question', async () => {
        const q = await next.state();
        return q.phase >= 5 && q.phase <= 16 && q.left !== q.right && q.timeLeft > 0 ? q : null;
      }, 5000);
      await next.tap(st.left > st.right ? 200 : 201, 150);
      answers++;
      await until('the answer', async () => (await next.state()).phase > 99, 3000);
    }
    st = await next.state();
    check(st.goodCount === score + 2,
          `${size}: touches on the pixels either side of the border answer right (score ${score} -> ${st.goodCount})`);
  }
  // The ended frame at the last viewport's scale.
  await next.page.click('#close');
  await until('the box', () => next.visible('#modal'), 5000);
  await next.page.click('#modal button');
  await until('the ended frame', () => next.visible('#ended'), 5000);
  const endedText = await next.page.$eval('#ended p', (e) => parseFloat(getComputedStyle(e).fontSize));
  const endedBox = await next.page.$eval('#ended', (e) => e.getBoundingClientRect().toJSON());
  const k1920 = figures.viewports['1920x1080'].scale;
  check(Math.abs(endedText - 16 * k1920) < 0.5 && Math.abs(endedBox.width - 400 * k1920) < 0.5,
        `the ended frame grows with the picture (text ${endedText} px)`);
  await next.page.screenshot({ path: path.join(outDir, 'ended.png') });
  // 初期化 (Space) clears the best, which is then stored as 0.
  await next.page.reload({ waitUntil: 'load' });
  await next.running();
  await next.page.focus('#canvas');
  await next.page.keyboard.press('Space');
  const cleared = await until('the cleared best to be stored', async () => (await next.storedBest()) === 0, 3000)
    .catch(() => false);
  const clearedBest = (await next.state()).hiScore;
  await next.page.reload({ waitUntil: 'load' });
  await next.running();
  const reloadedBest = (await next.state()).hiScore;
  check(cleared && reloadedBest === 0,
        `the 初期化 key clears the best for good (${clearedBest} stored ${cleared ? 0 : await next.storedBest()}, after a reload ${reloadedBest})`);
  await next.page.close();

  // --- A first visit over a slow link: 9 Mbit/s, 40 ms latency, gzip.
  {
    const context = await browser.createBrowserContext();
    const slow = await newTab(context);
    const cdp = await slow.page.createCDPSession();
    await cdp.send('Network.enable');
    await cdp.send('Network.emulateNetworkConditions',
                   { offline: false, latency: 40, downloadThroughput: 9e6 / 8, uploadThroughput: 9e6 / 8 });
    sent = new Map();
    await slow.page.goto(`${base}?seed=${SEED}`, { waitUntil: 'load' });
    await until('the first frame', () => slow.page.evaluate(() => !!window.__frames.first), 20000);
    figures.firstFrameMs = Math.round(await slow.page.evaluate(() => window.__frames.at));
    await slow.running();
    // Everything, the music and the offline copy too.
    await until('the offline copy', () => slow.page.evaluate(async () =>
      !!(await navigator.serviceWorker.getRegistration())?.active), 30000);
    figures.transferGzipBytes = [...sent.values()].reduce((a, n) => a + n, 0);
    figures.filesFetched = Object.fromEntries([...sent.entries()].sort());
    check(figures.firstFrameMs <= 2000, `at 9 Mbit/s the first title frame comes ${figures.firstFrameMs} ms after navigation`);
    check(figures.transferGzipBytes <= 1.2e6, `the whole transfer is ${figures.transferGzipBytes} bytes`);
    await context.close();
  }

  // --- Offline and installable, and mute, in the browser's own profile
  // (installing is not offered in a private one), where the first tabs
  // registered the service worker.
  {
    const t = await newTab();
    await t.open();
    await until('the offline copy', () => t.page.evaluate(async () =>
      !!(await navigator.serviceWorker.getRegistration())?.active), 30000);
    const cdp = await t.page.createCDPSession();
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    figures.installabilityErrors = installabilityErrors;
    check(installabilityErrors.length === 0, `no installability errors (${JSON.stringify(installabilityErrors)})`);
    const manifest = await (await fetch(base + 'manifest.webmanifest')).json();
    check(manifest.name === 'ミルタスチャレンジ' && manifest.display === 'standalone' && manifest.orientation === 'landscape',
          'the manifest names the game, standalone and landscape');

    // Mute: SDL's sound goes through the page's gain; both fall silent.
    await t.press(200, 150);
    await until('the game to start', async () => (await t.state())?.playing, 3000);
    const sound = () => t.page.evaluate(() => {
      const context = Module.SDL2.audioContext;
      const into = window.__connections.filter(([from]) => from.context === context && !(from instanceof GainNode))
        .map(([, to]) => to);
      const gains = into.filter((to) => to instanceof GainNode);
      return { sdl: into.length > 0 && gains.length === into.length, gain: gains.length ? gains[0].gain.value : null,
               pressed: document.getElementById('mute').getAttribute('aria-pressed'), muted: kestoPage.muted };
    });
    const musicMuted = () => t.page.evaluate(() => kestoPage.musicMuted);
    await t.page.click('#mute');
    await until('the button to mute', async () => (await sound()).muted, 3000);
    const on = await sound();
    const ticksBefore = (await t.state()).frameCount;
    await sleep(300);
    const going = (await t.state()).frameCount !== ticksBefore;
    check(on.sdl && on.gain === 0 && (await musicMuted()) && on.pressed === 'true' && going,
          `the mute button silences the waves and the music while the game goes on (${JSON.stringify(on)})`);
    await t.page.reload({ waitUntil: 'load' });
    await t.running();
    const kept = await sound();
    await t.page.click('#mute');
    await until('the button to unmute', async () => !(await sound()).muted, 3000);
    const off = await sound();
    check(kept.muted && kept.gain === 0 && !off.muted && off.gain === 1 && !(await musicMuted()),
          'the choice is kept over a reload, and a second press brings the sound back');
    // The M key and the button are one mute: the key shows on the button.
    await t.page.focus('#canvas');
    await t.page.keyboard.press('KeyM');
    await until('M to mute', async () => (await sound()).muted, 3000);
    const byKey = await sound();
    await t.page.click('#mute');
    await until('the button to unmute', async () => !(await sound()).muted, 3000);
    const byButton = await sound();
    check(byKey.pressed === 'true' && byKey.gain === 0 && !byButton.muted && byButton.gain === 1 && !(await musicMuted()),
          `M mutes as the button does and the button then unmutes (${JSON.stringify([byKey, byButton])})`);

    // Offline: the network gone, a reload plays.
    offline = true;
    await cdp.send('Network.enable');
    await cdp.send('Network.emulateNetworkConditions', { offline: true, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
    await t.page.reload({ waitUntil: 'load' });
    await t.running();
    await t.press(200, 150);
    const played = await until('the game to start offline', async () => (await t.state())?.playing, 3000)
      .catch(() => false);
    figures.offlineReload = !!played;
    check(played, 'offline, a reload plays');
    await t.page.screenshot({ path: path.join(outDir, 'offline.png') });
    offline = false;
    await t.page.close();
  }

  check(errors.length === 0, `no console errors${errors.length ? ': ' + errors.join(' | ') : ''}`);
} catch (e) {
  check(false, `the run went through: ${e.message}`);
} finally {
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
}

fs.writeFileSync(path.join(outDir, 'figures.json'), JSON.stringify(figures, null, 2) + '\n');
console.log(`first title frame ${figures.firstFrameMs} ms after navigation at 9 Mbit/s; ` +
            `transfer ${(figures.transferGzipBytes / 1e6).toFixed(3)} MB gzipped; ` +
            `ticks ${figures.ticksDelivered} of ${figures.ticksExpected} (${(100 * figures.tickShare).toFixed(1)}%)`);
process.exit(failures.length ? 1 : 0);
