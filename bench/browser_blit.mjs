// SPDX-License-Identifier: GPL-3.0-or-later
// Which way of putting the field's pixels on the screen costs Chromium least, as bench/README.md
// reports it ("In the browser"): a 495 x 475 canvas on which, once per display frame, a few small
// rectangles change (a ball, the bat, two movers: about what a step of play changes), for
// MEASURED seconds each, in Debian's headless Chromium as the browser tests start it. The CPU is
// that of every process of Chromium. Ways:
//
//   put-rects     putImageData of each changed rectangle from one ImageData of the whole field
//   put-whole     putImageData of the whole field (what the page did before)
//   put-rects-desynchronized   the first, on a canvas drawn past the page's frame timing
//   bitmap-rects  createImageBitmap of each rectangle, then drawImage
//   webgl-rects   texSubImage2D of each rectangle into a texture drawn over the canvas (WebGL 2;
//                 Chromium without a GPU draws it with SwiftShader)
//
//   scripts/install-node-modules
//   node bench/browser_blit.mjs [ROUNDS]
import { setTimeout as sleep } from 'node:timers/promises';
import { launch, newTab } from '../browser/tests/browser.mjs';
import { descendants, usage } from './processes.mjs';

const MEASURED_SECONDS = 10;
const rounds = Number(process.argv[2] || 3);
const WAYS = ['put-rects', 'put-whole', 'put-rects-desynchronized', 'bitmap-rects', 'webgl-rects'];

// Runs in the page: animates the field the chosen way until stopped; returns the frames shown.
function animate(way) {
  const W = 495;
  const H = 475;
  const canvas = document.createElement('canvas');
  canvas.width = W;
  canvas.height = H;
  document.body.append(canvas);
  const field = new ImageData(W, H);
  const pixels = new Uint32Array(field.data.buffer);
  pixels.fill(0xff000000);
  for (let y = 20; y < 200; y += 25) {  // bricks that never change
    for (let x = 20; x < 400; x += 45) {
      for (let row = y; row < y + 20; ++row) pixels.fill(0xff2050c0, row * W + x, row * W + x + 40);
    }
  }
  const paint = (x, y, w, h, colour) => {
    for (let row = y; row < y + h; ++row) pixels.fill(colour, row * W + x, row * W + x + w);
  };
  let put;
  if (way.startsWith('put')) {
    const context = canvas.getContext('2d', { alpha: false,
                                              desynchronized: way.endsWith('desynchronized') });
    put = (rects) => {
      if (way === 'put-whole') context.putImageData(field, 0, 0);
      else for (const [x, y, w, h] of rects) context.putImageData(field, 0, 0, x, y, w, h);
    };
  } else if (way === 'bitmap-rects') {
    const context = canvas.getContext('2d', { alpha: false });
    put = (rects) => {
      for (const [x, y, w, h] of rects) {
        createImageBitmap(field, x, y, w, h).then((bitmap) => {
          context.drawImage(bitmap, x, y);
          bitmap.close();
        });
      }
    };
  } else {
    const gl = canvas.getContext('webgl2', { alpha: false, antialias: false });
    if (!gl) return -1;
    const shader = (type, source) => {
      const s = gl.createShader(type);
      gl.shaderSource(s, source);
      gl.compileShader(s);
      return s;
    };
    const program = gl.createProgram();
    gl.attachShader(program, shader(gl.VERTEX_SHADER, `#version 300 es
      in vec2 p; out vec2 t;
      void main() { t = vec2(p.x * 0.5 + 0.5, 0.5 - p.y * 0.5); gl_Position = vec4(p, 0, 1); }`));
    gl.attachShader(program, shader(gl.FRAGMENT_SHADER, `#version 300 es
      precision mediump float; in vec2 t; uniform sampler2D f; out vec4 c;
      void main() { c = texture(f, t); }`));
    gl.linkProgram(program);
    gl.useProgram(program);
    gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
    gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([-1, -1, 1, -1, -1, 1, 1, 1]), gl.STATIC_DRAW);
    gl.enableVertexAttribArray(0);
    gl.vertexAttribPointer(0, 2, gl.FLOAT, false, 0, 0);
    gl.bindTexture(gl.TEXTURE_2D, gl.createTexture());
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.NEAREST);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.NEAREST);
    gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, W, H, 0, gl.RGBA, gl.UNSIGNED_BYTE, field.data);
    gl.pixelStorei(gl.UNPACK_ROW_LENGTH, W);
    put = (rects) => {
      for (const [x, y, w, h] of rects) {
        gl.texSubImage2D(gl.TEXTURE_2D, 0, x, y, w, h, gl.RGBA, gl.UNSIGNED_BYTE, field.data,
                         (y * W + x) * 4);
      }
      gl.drawArrays(gl.TRIANGLE_STRIP, 0, 4);
    };
  }
  window.frames = 0;
  window.running = true;
  let t = 0;
  const frame = () => {
    if (!window.running) return;
    ++window.frames;
    ++t;
    const ball = [(t * 3) % 460 + 10, (t * 2) % 200 + 250, 10, 10];
    const bat = [470, (t * 2) % 380 + 20, 10, 60];
    const movers = [[(t * 4) % 400 + 20, 230, 40, 20], [(t * 5) % 400 + 20, 440, 40, 20]];
    const rects = [];
    for (const r of [ball, bat, ...movers]) {
      // Where it was (wiped) and where it is now, one rectangle around both.
      const [x, y, w, h] = r;
      rects.push([Math.max(0, x - 10), Math.max(0, y - 10), Math.min(W - Math.max(0, x - 10), w + 20),
                  Math.min(H - Math.max(0, y - 10), h + 20)]);
    }
    for (const [x, y, w, h] of rects) paint(x, y, w, h, 0xff000000);
    paint(...ball, 0xffffffff);
    paint(...bat, 0xff00c0c0);
    for (const m of movers) paint(...m, 0xff00a000);
    put(rects);
    requestAnimationFrame(frame);
  };
  requestAnimationFrame(frame);
  return 0;
}

const results = Object.fromEntries(WAYS.map((way) => [way, []]));
for (let round = 1; round <= rounds; ++round) {
  for (const way of WAYS) {
    const browser = await launch('blit', way === 'webgl-rects' ? ['--enable-unsafe-swiftshader'] : []);
    try {
      const page = await newTab(browser);
      await page.setContent('<!doctype html><body style="margin:0;background:#000">');
      if ((await page.evaluate(animate, way)) < 0) {
        console.log(`round ${round} ${way}: no WebGL 2`);
        continue;
      }
      await sleep(2000);
      const before = usage(descendants(browser.process().pid)).ticks;
      const framesBefore = await page.evaluate(() => window.frames);
      await sleep(MEASURED_SECONDS * 1000);
      const cpu = (usage(descendants(browser.process().pid)).ticks - before) / MEASURED_SECONDS;
      const frames = ((await page.evaluate(() => window.frames)) - framesBefore) / MEASURED_SECONDS;
      results[way].push(cpu);
      console.log(`round ${round} ${way}: ${cpu.toFixed(1)} % of one core, ${frames.toFixed(0)} frames/s`);
    } finally {
      await browser.close();
    }
  }
}
console.log('\n| way | Chromium, % of one core: median (range) |\n|---|---|');
for (const way of WAYS) {
  const values = results[way].sort((a, b) => a - b);
  if (!values.length) continue;
  console.log(`| ${way} | ${values[Math.floor(values.length / 2)].toFixed(1)} ` +
              `(${values[0].toFixed(1)}–${values[values.length - 1].toFixed(1)}) |`);
}
