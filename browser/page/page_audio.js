// SPDX-License-Identifier: GPL-3.0-or-later
// The page's side of the sound component (browser/app/page_sound.cpp), over WebAudio: the decoded
// effects, the channels they play on and the tune's channel. The module decides what plays and
// when; this only makes it sound. Browsers let an AudioContext sound only after the player's
// first key, click or touch on the page: it is resumed then (some phones take only the end of a
// touch). A context with nothing to play is suspended after a moment (a running one wakes the
// browser's audio threads a hundred times a second, in a paused game too) and resumed by the next
// sound. The game's sounds are a game's, not a film's: where the browser lets a page say so, they
// are ambient sounds, which a phone's mute switch silences.
'use strict';

function makeZapwallAudio() {
  const AudioContextClass = window.AudioContext || window.webkitAudioContext;
  const TUNE_CHANNEL = 0;
  const IDLE_MILLIS = 2000;
  let context = null;
  let idleTimer = null;
  let idle = false;            // suspended here, not by the browser's wait for a key or click
  let channels = [];           // index 1..N: the effect channels; 0: the tune
  const sounds = new Map();    // path → AudioBuffer, null while decoding or when undecodable
  const waiting = new Set();   // paths whose first Play waits for the decoding

  function ensureContext() {
    if (!context && AudioContextClass) {
      context = new AudioContextClass();
      sleepWhenIdle();
    }
    return context;
  }

  if (navigator.audioSession) navigator.audioSession.type = 'ambient';

  // The browser's rule: sound starts with the player's first key, click or touch.
  function resume() {
    if (context && context.state === 'suspended' && !idle) context.resume();
  }
  for (const type of ['keydown', 'mousedown', 'pointerdown', 'touchstart', 'touchend', 'click']) {
    window.addEventListener(type, resume, true);
  }

  // Suspends the context once nothing has played for a moment.
  function sleepWhenIdle() {
    clearTimeout(idleTimer);
    idleTimer = setTimeout(() => {
      idleTimer = null;
      if (!context || context.state !== 'running') return;
      if (channels.some((playing) => playing && !playing.ended)) return;
      idle = true;
      context.suspend();
    }, IDLE_MILLIS);
  }

  function wake() {
    clearTimeout(idleTimer);
    idleTimer = null;
    if (idle) {
      idle = false;
      context.resume();
    }
  }

  function stopChannel(index) {
    const playing = channels[index];
    channels[index] = null;
    if (playing) {
      playing.source.onended = null;
      try {
        playing.source.stop();
      } catch (error) {
        // already stopped
      }
    }
  }

  function start(index, buffer) {
    stopChannel(index);
    wake();
    const source = context.createBufferSource();
    source.buffer = buffer;
    source.connect(context.destination);
    const playing = { source, started: context.currentTime, ended: false };
    source.onended = () => {
      playing.ended = true;
      sleepWhenIdle();
    };
    channels[index] = playing;
    source.start();
    return index;
  }

  // A free effect channel, or the one whose sound started first.
  function effectChannel() {
    let oldest = 1;
    for (let i = 1; i < channels.length; ++i) {
      if (!channels[i] || channels[i].ended) return i;
      if (channels[i].started < channels[oldest].started) oldest = i;
    }
    return oldest;
  }

  return {
    open(count) {
      if (!ensureContext()) return;
      for (let i = 1; i < channels.length; ++i) stopChannel(i);
      channels = [channels[TUNE_CHANNEL] || null, ...new Array(count).fill(null)];
    },
    close() {
      for (let i = 0; i < channels.length; ++i) stopChannel(i);
      sounds.clear();
      waiting.clear();
    },
    stopAll() {
      for (let i = 0; i < channels.length; ++i) stopChannel(i);
      if (context) sleepWhenIdle();
    },
    // The tune's samples are let go once it has played.
    update() {
      if (channels[TUNE_CHANNEL] && channels[TUNE_CHANNEL].ended) channels[TUNE_CHANNEL] = null;
    },
    rate() {
      return ensureContext() ? context.sampleRate : 0;
    },
    // 0 no device yet, 1 waiting for the first key or click, 2 sounding, 3 no WebAudio.
    state() {
      if (!AudioContextClass) return 3;
      if (!context) return 0;
      return context.state === 'running' || idle ? 2 : 1;
    },
    decode(path, bytes) {
      if (!ensureContext() || sounds.has(path)) return;
      sounds.set(path, null);
      waiting.add(path);
      context.decodeAudioData(bytes.buffer).then(
        (buffer) => {
          sounds.set(path, buffer);
          if (waiting.delete(path) && channels.length > 1) start(effectChannel(), buffer);
        },
        () => waiting.delete(path));
    },
    // Starts a decoded effect; -1 when it is not (yet) decoded.
    play(path) {
      const buffer = sounds.get(path);
      if (!context || !buffer || channels.length < 2) return -1;
      return start(effectChannel(), buffer);
    },
    playTune(frames, count, rate) {
      if (!ensureContext() || count <= 0) return;
      if (channels.length === 0) channels = [null];
      const buffer = context.createBuffer(2, count, rate);
      const left = buffer.getChannelData(0);
      const right = buffer.getChannelData(1);
      for (let i = 0; i < count; ++i) {
        left[i] = frames[2 * i];
        right[i] = frames[2 * i + 1];
      }
      start(TUNE_CHANNEL, buffer);
    },
  };
}
