// The page's host: it gives the emulator a canvas, the keyboard, the mouse
// as the light pen, Web Audio and the browser's files, and runs the machine
// from the frame callback while the page is visible. Keys go to the machine
// as Windows virtual-key codes by their position on the keyboard
// (KeyboardEvent.code), in the order they come, as on the desktop; F9 to
// F12, which the machine lacks, reset it, switch the green look and the
// character generator, and take a screenshot. Ctrl+V is the browser's paste.
// A file dropped on the page or chosen with Listing... is typed in when it is
// a BASIC listing and becomes the tape otherwise, as the plus library's
// OpenListing decides.
"use strict";

const WM_KEYDOWN = 0x100, WM_KEYUP = 0x101;
const KEY_SHIFT = 1, KEY_CONTROL = 2; // SendKey's modifiers
const VK_CONTROL = 0x11;
const WM_MOUSEMOVE = 0x200, WM_LBUTTONDOWN = 0x201, WM_LBUTTONUP = 0x202;
const WIDTH = 640, HEIGHT = 480;
const ROM_FILES = { rom: "n80basic.rom", font: "font.rom" };
const TAPE_FOLDER = "/tapes";
const STORAGE_PREFIX = "z80home.";
const LISTING_TYPED = 0, LISTING_TAPE = 1; // plus/z80home_plus.h's kListingTyped, kListingTape

const VIRTUAL_KEYS = (() => {
  const keys = {
    Enter: 0x0d, NumpadEnter: 0x0d, Escape: 0x1b, Backspace: 0x08, Tab: 0x09, Space: 0x20,
    Minus: 0xbd, Equal: 0xbb, BracketLeft: 0xdb, BracketRight: 0xdd, Backslash: 0xdc,
    IntlYen: 0xdc, Semicolon: 0xba, Quote: 0xde, Backquote: 0xc0, Comma: 0xbc, Period: 0xbe,
    Slash: 0xbf, IntlBackslash: 0xe2, IntlRo: 0xe2, NonConvert: 0x1d, Home: 0x24, End: 0x23,
    Delete: 0x2e, ArrowUp: 0x26, ArrowDown: 0x28, ArrowLeft: 0x25, ArrowRight: 0x27,
    NumpadMultiply: 0x6a, NumpadAdd: 0x6b, NumpadComma: 0x6c, NumpadSubtract: 0x6d,
    NumpadDecimal: 0x6e, NumpadDivide: 0x6f, ShiftLeft: 0x10, ShiftRight: 0x10,
    ControlLeft: 0x11, ControlRight: 0x11, AltLeft: 0x12, AltRight: 0x12, ContextMenu: 0x5d,
  };
  for (let i = 0; i < 26; i++) keys["Key" + String.fromCharCode(65 + i)] = 65 + i;
  for (let i = 0; i < 10; i++) {
    keys["Digit" + i] = 0x30 + i;
    keys["Numpad" + i] = 0x60 + i;
  }
  for (let i = 1; i <= 8; i++) keys["F" + i] = 0x6f + i;
  return keys;
})();

// What the tests look at: the frames run and the pictures put on the canvas,
// the tones asked for, the audio's state, whether a listing waits.
const page = {
  ready: false,
  frames: 0,
  shown: 0,
  sound: { plays: 0, stops: 0 },
  audioState: () => audio.context?.state ?? "none",
  module: null,
  listingWaits: false, // a listing waits for BASIC's prompt
};
window.z80home = page;

const $ = (id) => document.getElementById(id);
const canvas = $("screen");
const context = canvas.getContext("2d");
const image = context.createImageData(WIDTH, HEIGHT);
const held = new Set();
let emu = null;
let pointerDown = false;
let tapePath = TAPE_FOLDER + "/tape.bin";

// A line of news in the bar; a failure stands out.
function status(text, failure = false) {
  $("status").textContent = text;
  $("status").classList.toggle("failure", failure);
}

// ---------------------------------------------------------------- sound
// Browsers start audio only after a click or a key; until then the tone the
// machine asks for is remembered and starts with the audio. While the page
// is hidden the audio is suspended, the tone with it.
const audio = {
  context: null,
  source: null,
  wanted: null,
  hidden: false,
  buffers: new Map(),
  start() {
    if (this.hidden) return;
    if (!this.context) this.context = new AudioContext();
    this.context.resume().then(() => this.sound());
  },
  hide(hidden) {
    this.hidden = hidden;
    if (!this.context) return;
    if (hidden) this.context.suspend();
    else this.start();
  },
  play(samples, rate, bits, channels, loops) {
    page.sound.plays++;
    this.wanted = { samples, rate, bits, channels, loops };
    this.sound();
  },
  stop() {
    page.sound.stops++;
    this.wanted = null;
    this.silence();
  },
  silence() {
    if (this.source) this.source.stop();
    this.source = null;
  },
  sound() {
    this.silence();
    if (!this.wanted || !this.context || this.context.state !== "running") return;
    const buffer = this.buffer(this.wanted);
    const source = this.context.createBufferSource();
    source.buffer = buffer;
    source.loop = this.wanted.loops > 1;
    source.connect(this.context.destination);
    source.start();
    if (this.wanted.loops > 1 && this.wanted.loops < 0xffffffff)
      source.stop(this.context.currentTime + buffer.duration * this.wanted.loops);
    this.source = source;
  },
  // PCM bytes as an AudioBuffer: 8-bit samples are unsigned, 16-bit signed
  // little-endian, channels interleaved. The machine writes one tone over
  // and over, so each is converted once.
  buffer({ samples, rate, bits, channels }) {
    const key = [rate, bits, channels, samples.length, samples.slice(0, 64).join()].join();
    let buffer = this.buffers.get(key);
    if (buffer) return buffer;
    const bytes = bits / 8;
    const frames = Math.floor(samples.length / (bytes * channels));
    buffer = this.context.createBuffer(channels, frames, rate);
    const view = new DataView(samples.buffer, samples.byteOffset, samples.byteLength);
    for (let c = 0; c < channels; c++) {
      const out = buffer.getChannelData(c);
      for (let i = 0; i < frames; i++) {
        const at = (i * channels + c) * bytes;
        out[i] = bits === 8 ? (view.getUint8(at) - 128) / 128 : view.getInt16(at, true) / 32768;
      }
    }
    this.buffers.set(key, buffer);
    return buffer;
  },
};

// ---------------------------------------------------------------- files
function download(name, blob) {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(blob);
  link.download = name;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

function toBase64(bytes) {
  let text = "";
  for (let i = 0; i < bytes.length; i += 0x8000)
    text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  return btoa(text);
}

function fromBase64(text) {
  return Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
}

async function readFile(input) {
  const file = input.files[0];
  input.value = "";
  return file ? { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) } : null;
}

// A tape chosen from the computer: loading reads it from the start, SAVE
// appends to it, and "Download tape" gives it back with what was saved.
async function chooseTape() {
  const file = await readFile($("tape"));
  if (file) useTape(file);
}

function useTape(file) {
  const name = file.name.replace(/[^\w.-]/g, "_").slice(0, 100) || "tape.bin";
  tapePath = TAPE_FOLDER + "/" + name;
  emu.FS.writeFile(tapePath, file.bytes);
  emu.ccall("SetCMTFile", null, ["string"], [tapePath]);
  status("tape " + name);
}

// A listing is typed once BASIC is at its prompt (the frame callback asks),
// after NEW and followed by RUN unless "then RUN" is off; a file that is not
// text is the tape, unless its name promises a listing.
function openFile(file) {
  if (!file) return;
  const at = emu._malloc(file.bytes.length || 1);
  if (!at) return status(`${file.name} is too large to open`, true);
  let code;
  try {
    emu.HEAPU8.set(file.bytes, at);
    code = emu.ccall("OpenListing", "number", ["string", "number", "number", "number"],
                     [file.name, at, file.bytes.length, $("listing-run").checked ? 1 : 0]);
  } finally {
    emu._free(at);
  }
  if (code === LISTING_TAPE) return useTape(file);
  page.listingWaits = code === LISTING_TYPED || page.listingWaits;
  status(`${file.name}: ${emu.ccall("GetListingMessage", "string", ["number"], [code])}`,
         code !== LISTING_TYPED);
}

async function dropFile(event) {
  event.preventDefault();
  const file = event.dataTransfer.files[0];
  if (file) openFile({ name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) });
}

function saveTape() {
  const path = emu.ccall("GetCMTFile", "string", [], []);
  let bytes = null;
  try {
    bytes = emu.FS.readFile(path);
  } catch {
    status("nothing saved on the tape yet");
    return;
  }
  download(path.slice(path.lastIndexOf("/") + 1), new Blob([bytes]));
}

// The user's ROM images stay in the browser's storage and take the built-in
// ones' place from the next start on. An empty file, one larger than the
// image, or one the storage will not keep is refused, and the ROM in use
// stays.
async function chooseRom(which) {
  const file = await readFile($(which));
  if (!file) return;
  const image = which === "font" ? "font ROM" : "system ROM";
  const most = emu._WebRomSize(which === "font" ? 1 : 0);
  const keep = `; the ${image} in use stays`;
  if (file.bytes.length === 0) return status(`${file.name} is empty${keep}`, true);
  if (file.bytes.length > most)
    return status(`${file.name} has ${file.bytes.length} bytes, more than the ${most} ` +
                  `of a ${image}${keep}`, true);
  try {
    localStorage.setItem(STORAGE_PREFIX + ROM_FILES[which], toBase64(file.bytes));
  } catch (error) {
    return status(`the browser's storage would not keep ${file.name} (${error.name})${keep}`, true);
  }
  location.reload();
}

function builtInRom() {
  for (const name of Object.values(ROM_FILES)) localStorage.removeItem(STORAGE_PREFIX + name);
  location.reload();
}

function screenshot() {
  canvas.toBlob((blob) => download("z80home.png", blob), "image/png");
}

// Pasted text is typed by the emulator in the machine's time (paste.js).
async function paste(text) {
  if (text === undefined) {
    try {
      text = await navigator.clipboard.readText();
    } catch {
      status("the browser did not give the clipboard", true);
      return;
    }
  }
  const { news, failure } = pasteText(emu, text);
  status(news, failure);
  showPaste();
}

// A recording of the input, kept in the module's files until it is handed
// over as a download.
const RECORDING = "/z80home.rec";
function record() {
  if (emu._GetRecording()) {
    const code = emu._StopRecording();
    if (code) return status(emu.ccall("GetRecordingMessage", "string", ["number"], [code]), true);
    download("z80home.rec", new Blob([emu.FS.readFile(RECORDING)]));
    emu.FS.unlink(RECORDING);
    status("recording downloaded");
  } else {
    const code = emu.ccall("StartRecording", "number", ["string"], [RECORDING]);
    if (code) return status(emu.ccall("GetRecordingMessage", "string", ["number"], [code]), true);
    status("recording the input");
  }
}

function stopPaste() {
  emu._CancelPaste();
  page.listingWaits = false;
  status("paste stopped");
}

// The Stop paste button shows while a paste is being typed, with what is left.
let pasteShown = -1;
function showPaste() {
  const left = emu._GetPasteLeft() >>> 0;
  if (left === pasteShown) return;
  pasteShown = left;
  $("paste-stop").hidden = left === 0;
  $("paste-stop").textContent = `Stop paste (${left})`;
}

// ---------------------------------------------------------------- controls
function showOptions() {
  $("green").setAttribute("aria-pressed", String(emu._GetGreenDisplay() !== 0));
  $("pcg").setAttribute("aria-pressed", String(emu._GetPCG() !== 0));
  $("record").setAttribute("aria-pressed", String(emu._GetRecording() !== 0));
}

const hotkeys = {
  F9: () => {
    emu._CancelPaste();
    page.listingWaits = false;
    emu._ResetEmu();
  },
  F10: () => emu._SetGreenDisplay(emu._GetGreenDisplay() ? 0 : 1),
  F11: () => emu._SetPCG(emu._GetPCG() ? 0 : 1),
  F12: screenshot,
};

function key(event) {
  audio.start();
  if (event.target instanceof HTMLInputElement) return;
  const down = event.type === "keydown";
  // Ctrl+V (Cmd+V) is left to the browser, whose paste event types the
  // text; the machine's CTRL, down for the chord, is let go first.
  if ((event.ctrlKey || event.metaKey) && event.code === "KeyV") {
    if (held.delete(VK_CONTROL)) emu._CtlEmulator(WM_KEYUP, VK_CONTROL, 0);
    return;
  }
  if (hotkeys[event.code]) {
    event.preventDefault();
    if (down && !event.repeat) {
      hotkeys[event.code]();
      showOptions();
    }
    return;
  }
  const virtualKey = VIRTUAL_KEYS[event.code];
  if (virtualKey === undefined) return;
  event.preventDefault();
  if (down && event.repeat) return; // the machine repeats keys itself
  if (down) held.add(virtualKey);
  else if (!held.delete(virtualKey)) return; // its press went to the host
  // The key goes with the SHIFT and CTRL it was typed with, as one change.
  emu._SendKey(virtualKey, down ? 1 : 0, (event.shiftKey ? KEY_SHIFT : 0) | (event.ctrlKey ? KEY_CONTROL : 0));
}

// Keys let go while the page had no focus never send their release.
function releaseAll() {
  for (const virtualKey of held) emu._CtlEmulator(WM_KEYUP, virtualKey, 0);
  held.clear();
  if (pointerDown) emu._CtlEmulator(WM_LBUTTONUP, 0, 0);
  pointerDown = false;
}

// The pointer's place on the 640 by 480 window, as a mouse message's lParam.
function pointerParam(event) {
  const box = canvas.getBoundingClientRect();
  const x = Math.floor(((event.clientX - box.left) * WIDTH) / box.width);
  const y = Math.floor(((event.clientY - box.top) * HEIGHT) / box.height);
  return ((y & 0xffff) << 16) | (x & 0xffff);
}

function pointer(event) {
  if (event.type === "pointerdown") {
    if (event.button !== 0) return;
    audio.start();
    pointerDown = true;
    canvas.setPointerCapture(event.pointerId);
    emu._CtlEmulator(WM_LBUTTONDOWN, 0, pointerParam(event));
  } else if (event.type === "pointerup") {
    if (event.button !== 0 || !pointerDown) return;
    pointerDown = false;
    emu._CtlEmulator(WM_LBUTTONUP, 0, pointerParam(event));
  } else {
    emu._CtlEmulator(WM_MOUSEMOVE, 0, pointerParam(event));
  }
}

// The screen as large as the window allows, its 4:3 shape kept.
function fit() {
  const stage = $("stage");
  const scale = Math.min(stage.clientWidth / WIDTH, stage.clientHeight / HEIGHT);
  canvas.style.width = Math.floor(WIDTH * scale) + "px";
  canvas.style.height = Math.floor(HEIGHT * scale) + "px";
}

// ---------------------------------------------------------------- running
// The machine runs from the frame callback while the page is visible; the
// canvas gets a picture only when the machine's picture changed.
let last = null;
let frameRequest = null;

function frame(now) {
  emu._WebAdvance(last === null ? 0 : now - last);
  last = now;
  const pixels = emu._WebDraw();
  if (pixels) {
    // Only the rows that changed (a blink's are a cell high) reach the canvas.
    const top = emu._WebDrawnTop(), rows = emu._WebDrawnRows();
    const from = top * WIDTH * 4, to = from + rows * WIDTH * 4;
    image.data.set(emu.HEAPU8.subarray(pixels + from, pixels + to), from);
    context.putImageData(image, 0, 0, 0, top, WIDTH, rows);
    page.shown++;
  }
  page.frames++;
  if (page.listingWaits) page.listingWaits = emu._PollListing() !== 0;
  showPaste();
  frameRequest = requestAnimationFrame(frame);
}

// A hidden page is paused and silent; shown again, it goes on where it was.
function visibility() {
  audio.hide(document.hidden);
  if (document.hidden) {
    cancelAnimationFrame(frameRequest);
    frameRequest = null;
    releaseAll();
  } else if (frameRequest === null) {
    last = null;
    frameRequest = requestAnimationFrame(frame);
  }
}

async function start() {
  emu = await createZ80Home({ z80homeWave: audio });
  page.module = emu;
  for (const name of Object.values(ROM_FILES)) {
    const stored = localStorage.getItem(STORAGE_PREFIX + name);
    if (stored) emu.FS.writeFile("/" + name, fromBase64(stored));
  }
  emu.FS.mkdir(TAPE_FOLDER);
  if (!emu._WebStart()) throw new Error("the emulator did not start");
  emu.ccall("SetCMTFile", null, ["string"], [tapePath]);

  document.addEventListener("keydown", key);
  document.addEventListener("keyup", key);
  document.addEventListener("visibilitychange", visibility);
  document.addEventListener("paste", (event) => {
    event.preventDefault();
    paste(event.clipboardData.getData("text"));
  });
  window.addEventListener("blur", releaseAll);
  new ResizeObserver(fit).observe($("stage"));
  for (const type of ["pointerdown", "pointermove", "pointerup"])
    canvas.addEventListener(type, pointer);
  const click = (id, action) =>
    $(id).addEventListener("click", (event) => {
      event.currentTarget.blur(); // keys go to the machine, not to the button
      action();
      showOptions();
    });
  click("reset", hotkeys.F9);
  click("green", hotkeys.F10);
  click("pcg", hotkeys.F11);
  click("shot", screenshot);
  click("record", record);
  click("paste", () => paste());
  click("paste-stop", stopPaste);
  click("tape-save", saveTape);
  click("builtin", builtInRom);
  $("tape").addEventListener("change", chooseTape);
  $("listing").addEventListener("change", async () => openFile(await readFile($("listing"))));
  document.addEventListener("dragover", (event) => event.preventDefault());
  document.addEventListener("drop", dropFile);
  $("rom").addEventListener("change", () => chooseRom("rom"));
  $("font").addEventListener("change", () => chooseRom("font"));
  document.body.addEventListener("pointerdown", () => audio.start());

  const own = Object.values(ROM_FILES).some((n) => localStorage.getItem(STORAGE_PREFIX + n));
  status(own ? "your ROM images" : "built-in ROM");
  page.ready = true;
  frameRequest = requestAnimationFrame(frame);
}

start().catch((error) => {
  status("failed: " + error.message);
  console.error(error);
});
