// The page around the game (kesto.js): scaling the picture to the viewport,
// the loading indicator, the game's message boxes, the music player, the note
// when the browser holds the sound back, the mute and close controls, the
// frame left when the game has ended and the service worker (sw.js) that
// keeps the page for offline play. The game calls in through `kestoPage`
// (platform/web/WebPage.cpp).
'use strict';

(() => {
  const $ = (id) => document.getElementById(id);
  const canvas = $('canvas');
  const WIDTH = 400, HEIGHT = 300;

  // The page's height in picture pixels: the bar, the picture and the line
  // under it, all drawn at the picture's scale.
  const TALL = 26 + HEIGHT + 20;
  // The largest whole factor that fits the viewport; below 2 (phones) the
  // fractional scale that fills the width in portrait and the height in
  // landscape. The picture's width is a multiple of 4 device pixels, so
  // 4:3 holds exactly.
  const fit = () => {
    const dpr = devicePixelRatio || 1;
    // The layout viewport: content wider than the screen cannot widen it.
    const view = document.documentElement;
    const room = Math.min(view.clientWidth / WIDTH, view.clientHeight / TALL);
    const k = room >= 2 ? Math.floor(room) : room;
    const width = Math.max(4, Math.floor((WIDTH * k * dpr) / 4) * 4) / dpr;
    canvas.style.width = width + 'px';
    $('frame').style.width = width + 'px';
    canvas.style.height = (width * HEIGHT) / WIDTH + 'px';
    document.documentElement.style.setProperty('--k', width / WIDTH);
  };
  fit();
  addEventListener('resize', fit);

  // Keys reach the game while its canvas has the focus; the game's own press
  // handling keeps the browser from moving it there, so the page does.
  canvas.addEventListener('pointerdown', () => canvas.focus({ preventScroll: true }));

  // Sound: the game's waves go through SDL's AudioContext, the music through
  // an audio element. Both wait for the first press when the browser says so.
  // The music is fetched only once the first frame is up.
  const music = new Audio();
  music.preload = 'auto';
  let musicWaiting = false, musicName = null, musicWanted = false, shown = false;
  const loadMusic = () => {
    if (!shown || musicName === null) return;
    const src = 'music/' + musicName + '.ogg';
    if (!music.src.endsWith(src)) music.src = src;
    if (musicWanted) startMusic();
  };
  const audioContext = () => (window.Module && Module.SDL2 && Module.SDL2.audioContext) || null;
  const showNote = () => {
    const context = audioContext();
    $('note').hidden = !(musicWaiting || (context && context.state !== 'running'));
  };
  const startMusic = () => {
    musicWaiting = false;
    if (!music.src) return;
    music.currentTime = 0;
    music.play().then(showNote, (error) => {
      if (error && error.name === 'NotAllowedError') musicWaiting = true;
      showNote();
    });
  };
  const allowed = () => {
    const context = audioContext();
    if (context && context.state !== 'running') context.resume().then(showNote, showNote);
    if (musicWaiting) startMusic();
  };
  for (const type of ['pointerdown', 'keydown', 'touchend']) document.addEventListener(type, allowed, true);

  // The game's boxes are modal over the picture: the cover takes the presses
  // and the OK button the keys.
  let boxes = 0;
  const confirmed = new Set();
  const open = [];
  const showBox = () => {
    const box = open[open.length - 1];
    $('modal').hidden = !box;
    $('close').disabled = !!box || !running;
    if (!box) {
      canvas.focus({ preventScroll: true });
      return;
    }
    const panel = $('modal').querySelector('.box');
    panel.classList.toggle('error', box.error);
    panel.querySelector('.caption').textContent = box.caption;
    panel.querySelector('.text').textContent = box.text;
    panel.querySelector('button').focus({ preventScroll: true });
  };
  $('modal').querySelector('button').addEventListener('click', () => {
    const box = open.pop();
    if (box) confirmed.add(box.id);
    showBox();
  });

  let running = false;
  $('close').addEventListener('click', () => {
    if (running && !open.length && window.Module && Module._kesto_web_close) Module._kesto_web_close();
  });
  $('again').addEventListener('click', () => location.reload());

  // The mute button silences the waves and the music; the game goes on as it
  // is. The choice is kept for the next visit.
  let gain = null;
  let muted = false;
  try {
    muted = localStorage.getItem('kesto:muted') === '1';
  } catch (e) {}
  const mute = (on) => {
    muted = on;
    music.muted = on;
    if (gain) gain.gain.value = on ? 0 : 1;
    $('mute').setAttribute('aria-pressed', String(on));
    $('mute').title = on ? '音を出す' : '音を消す';
    $('mute').setAttribute('aria-label', $('mute').title);
    try {
      localStorage.setItem('kesto:muted', on ? '1' : '0');
    } catch (e) {}
  };
  // While the game runs the button is its M key, so the two never disagree;
  // the game's mute comes back through setMuted.
  $('mute').addEventListener('click', () => {
    if (running && window.Module && Module._kesto_web_mute) Module._kesto_web_mute();
    else mute(!muted);
    canvas.focus({ preventScroll: true });
  });

  window.kestoPage = {
    openBox(caption, text, error) {
      const id = ++boxes;
      open.push({ id, caption, text, error });
      showBox();
      return id;
    },
    boxConfirmed(id) {
      return confirmed.delete(id);
    },
    get muted() {
      return muted;
    },
    setMuted(on) {
      mute(on === '1');
    },
    get musicMuted() {
      return music.muted;
    },
    running() {
      running = true;
      // A choice kept from an earlier visit becomes the game's own mute.
      if (muted && Module._kesto_web_mute) Module._kesto_web_mute();
      // The first frame is on the canvas: now the music and the offline copy.
      requestAnimationFrame(() => setTimeout(() => {
        shown = true;
        loadMusic();
        if ('serviceWorker' in navigator) {
          navigator.serviceWorker.register('sw.js').catch((e) => console.warn('kesto: no offline copy', e));
        }
      }));
      $('loading').hidden = true;
      $('close').disabled = false;
      const context = audioContext();
      if (context) context.addEventListener('statechange', showNote);
      showNote();
    },
    ended() {
      running = false;
      music.pause();
      musicWaiting = false;
      $('close').disabled = true;
      $('loading').hidden = true;
      $('note').hidden = true;
      $('ended').hidden = false;
      $('again').focus({ preventScroll: true });
    },
    musicOpen(name) {
      music.pause();
      musicWaiting = musicWanted = false;
      musicName = name;
      loadMusic();
    },
    musicPlay() {
      musicWanted = true;
      if (shown) startMusic();
    },
    musicClose() {
      music.pause();
      musicWaiting = musicWanted = false;
      showNote();
    },
  };

  // SDL makes its AudioContext when the game opens the sound device, unless
  // one is there; making one takes the browser a while, so it is made here,
  // while the game downloads.
  // SDL connects its sound to the context's destination: that is the mute
  // button's gain here.
  const Context = window.AudioContext || window.webkitAudioContext;
  let context = null;
  if (Context) {
    context = new Context();
    gain = context.createGain();
    gain.connect(context.destination);
    Object.defineProperty(context, 'destination', { value: gain });
  }
  mute(muted);
  const progress = $('progress');
  window.Module = {
    canvas,
    SDL2: context ? { audioContext: context } : {},
    setStatus(text) {
      // "Downloading data... (done/total)" while the package loads.
      const m = /\((\d+(?:\.\d+)?)\/(\d+)\)/.exec(text || '');
      if (m) {
        progress.max = Number(m[2]);
        progress.value = Number(m[1]);
      }
    },
    printErr(text) {
      console.error(text);
    },
  };
})();
