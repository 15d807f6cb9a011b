// The page around the game (kesto.js): scaling the picture by whole factors,
// the loading indicator, the game's message boxes, the music player, the note
// when the browser holds the sound back, the close control and the frame left
// when the game has ended. The game calls in through `kestoPage`
// (platform/web/WebPage.cpp).
'use strict';

(() => {
  const $ = (id) => document.getElementById(id);
  const canvas = $('canvas');
  const WIDTH = 400, HEIGHT = 300;

  // The largest whole factor that fits the viewport, at least 1.
  const fit = () => {
    const bar = $('bar').offsetHeight;
    const k = Math.max(1, Math.floor(Math.min(innerWidth / WIDTH, (innerHeight - bar) / HEIGHT)));
    canvas.style.width = WIDTH * k + 'px';
    canvas.style.height = HEIGHT * k + 'px';
    // The game's boxes grow with the picture.
    document.documentElement.style.setProperty('--k', k);
  };
  fit();
  addEventListener('resize', fit);

  // Keys reach the game while its canvas has the focus; the game's own press
  // handling keeps the browser from moving it there, so the page does.
  canvas.addEventListener('pointerdown', () => canvas.focus({ preventScroll: true }));

  // Sound: the game's waves go through SDL's AudioContext, the music through
  // an audio element. Both wait for the first press when the browser says so.
  const music = new Audio();
  music.preload = 'auto';
  let musicWaiting = false;
  const audioContext = () => (window.Module && Module.SDL2 && Module.SDL2.audioContext) || null;
  const showNote = () => {
    const context = audioContext();
    $('note').hidden = !(musicWaiting || (context && context.state !== 'running'));
  };
  const startMusic = () => {
    musicWaiting = false;
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
    running() {
      running = true;
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
      musicWaiting = false;
      music.src = 'music/' + name + '.ogg';
    },
    musicPlay() {
      startMusic();
    },
    musicClose() {
      music.pause();
      musicWaiting = false;
      showNote();
    },
    // Told after every write-back of the record to IndexedDB.
    stored: 0,
    recordStored(ok) {
      if (ok) this.stored++;
    },
  };

  // SDL makes its AudioContext when the game opens the sound device, unless
  // one is there; making one takes the browser a while, so it is made here,
  // while the game downloads.
  const Context = window.AudioContext || window.webkitAudioContext;
  const progress = $('progress');
  window.Module = {
    canvas,
    SDL2: Context ? { audioContext: new Context() } : {},
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
