// The browser build in Debian's chromium, driven through puppeteer-core:
//   node check.mjs DIST_DIR SHOTS_DIR OUT_DIR
// DIST_DIR is dist/web; SHOTS_DIR holds the headless runner's frames for
// seed 7 as raw RGBA (title-N.rgba after N title ticks, play.rgba);
// OUT_DIR receives screenshots and figures.json.
//
// One run: the first title frame equals a headless title frame; the note
// says the sound is held back until the first click, after which the
// AudioContext runs; the click starts the game and the status box is drawn
// as the headless runner draws it; answers by clicks raise the score while
// the ticks are counted for 20 s; at the end the end button saves the record
// and confirms, the page shows the ended frame; a reload brings the kept best
// back into the game, where a touch starts a game. No console errors at any point. Reported, not judged:
// the first frame's time after navigation, the transfer gzipped, the share
// of 20 ms ticks delivered.
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

// A static server over DIST_DIR, as any host would serve it; it notes what
// the page fetched.
const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.ogg': 'audio/ogg', '.ttf': 'font/ttf', '.data': 'application/octet-stream' };
const fetched = new Set();
const server = http.createServer((req, res) => {
  const name = decodeURIComponent(new URL(req.url, 'http://x').pathname).replace(/^\/$/, '/index.html');
  const file = path.join(distDir, path.normalize(name));
  if (!file.startsWith(distDir + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
    res.writeHead(404).end();
    return;
  }
  fetched.add(file);
  const body = fs.readFileSync(file);
  res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                       'Content-Length': body.length, 'Cache-Control': 'no-store' });
  res.end(body);
});
await new Promise((r) => server.listen(0, '127.0.0.1', r));
const base = `http://127.0.0.1:${server.address().port}/`;

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

const figures = {};
try {
  const page = await browser.newPage();
  const errors = [];
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(String(e)));
  page.on('requestfailed', (r) => errors.push(`request failed: ${r.url()}`));
  // The first 400 x 300 frame SDL puts on the canvas, and when.
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
  });

  const state = async () => page.evaluate(() =>
    window.Module && Module._kesto_web_state ? JSON.parse(Module.UTF8ToString(Module._kesto_web_state())) : null);
  const canvasBox = async () => page.$eval('#canvas', (c) => {
    const r = c.getBoundingClientRect();
    return { x: r.left, y: r.top, k: r.width / 400 };
  });
  const press = async (x, y) => {
    const b = await canvasBox();
    await page.mouse.click(b.x + (x + 0.5) * b.k, b.y + (y + 0.5) * b.k);
  };
  const canvasPixels = async () => Buffer.from(await page.evaluate(() =>
    window.__base64(document.getElementById('canvas').getContext('2d').getImageData(0, 0, 400, 300).data)), 'base64');
  const audioState = async () => page.evaluate(() =>
    (Module.SDL2 && Module.SDL2.audioContext && Module.SDL2.audioContext.state) || 'none');
  const visible = async (sel) => page.$eval(sel, (e) => !e.hidden && e.offsetParent !== null);

  // --- The title.
  await page.goto(`${base}?seed=${SEED}`, { waitUntil: 'load' });
  // puppeteer's evaluate counts as a user gesture, which would let the
  // sound start at once: nothing is asked of the page until the game has
  // made its AudioContext and asked for its music.
  await sleep(3000);
  await until('the first frame', () => page.evaluate(() => !!window.__frames.first));
  await until('the game to run', () => page.evaluate(() => document.getElementById('loading').hidden));
  figures.firstFrameMs = Math.round(await page.evaluate(() => window.__frames.at));
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

  // --- The end: game over, the end button saves and confirms, the ended frame.
  await until('the game to end', async () => (await state())?.gameOver, 60000, 200);
  await sleep(400);
  await page.screenshot({ path: path.join(outDir, 'gameover.png') });
  const best = (await state()).hiScore;
  check(best === s.goodCount, `the game over makes the score the best (${best})`);
  const storedBefore = await page.evaluate(() => kestoPage.stored);
  await press(28, 280);
  await until('the box', () => visible('#modal'), 5000);
  const boxText = await page.$eval('#modal .text', (e) => e.textContent);
  check(boxText === 'どきゅん！！', `the end confirms with the box (${boxText})`);
  await until('the record to be stored', async () =>
    (await page.evaluate(() => kestoPage.stored)) > storedBefore, 5000);
  await page.screenshot({ path: path.join(outDir, 'saved.png') });
  await page.click('#modal button');
  await until('the ended frame', () => visible('#ended'), 5000);
  await page.screenshot({ path: path.join(outDir, 'ended.png') });
  const stored = await page.evaluate(() => new Promise((resolve, reject) => {
    const open = indexedDB.open('/kesto/dat');
    open.onerror = () => reject(open.error);
    open.onsuccess = () => {
      const get = open.result.transaction('FILE_DATA').objectStore('FILE_DATA').get('/kesto/dat/my.dat');
      get.onsuccess = () => resolve(get.result ? new TextDecoder().decode(get.result.contents) : null);
      get.onerror = () => reject(get.error);
    };
  }));
  check(stored !== null && stored.split('\r\n')[1] === String(best),
        `the record in IndexedDB holds the best (${JSON.stringify(stored)})`);

  // --- A reload: the game starts from the kept record.
  await page.reload({ waitUntil: 'load' });
  await until('the game to run again', () => page.evaluate(() =>
    document.getElementById('loading').hidden && !!(window.Module && Module._kesto_web_state)));
  const again = await until('the state', state);
  check(again.hiScore === best, `after a reload the game has the kept best (${again.hiScore})`);
  // A touch starts the game as a click does.
  const b = await canvasBox();
  await page.touchscreen.tap(b.x + 200 * b.k, b.y + 150 * b.k);
  const touched = await until('the game to start by touch', async () => (await state())?.playing, 3000)
    .catch(() => false);
  check(touched, 'a touch on the picture starts the game');

  check(errors.length === 0, `no console errors${errors.length ? ': ' + errors.join(' | ') : ''}`);

  let gz = 0;
  for (const file of fetched) gz += zlib.gzipSync(fs.readFileSync(file), { level: 9 }).length;
  figures.transferGzipBytes = gz;
  figures.filesFetched = [...fetched].map((f) => path.relative(distDir, f)).sort();
} catch (e) {
  check(false, `the run went through: ${e.message}`);
} finally {
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
}

fs.writeFileSync(path.join(outDir, 'figures.json'), JSON.stringify(figures, null, 2) + '\n');
console.log(`first title frame ${figures.firstFrameMs} ms after navigation; ` +
            `transfer ${(figures.transferGzipBytes / 1e6).toFixed(2)} MB gzipped; ` +
            `ticks ${figures.ticksDelivered} of ${figures.ticksExpected} (${(100 * figures.tickShare).toFixed(1)}%)`);
process.exit(failures.length ? 1 : 0);
