// The page in a real browser: Debian's Chromium, headless, driven by
// puppeteer-core, against the Linux headless host given the same input.
// scripts/web.sh --test runs it with Z80HOME_SITE (the built page),
// Z80HOME_HEADLESS (the host) and Z80HOME_ROM_DIR set.
//
// Every input ends in a routine that switches the cursor off and halts with
// interrupts disabled, so the last frame no longer depends on when it is
// taken, and the two frames must be equal pixel for pixel. Keys are played
// in real time in both, held 80 ms and released 60 ms; a pair of runs that
// differs is run again, at most three times, as a busy machine may still
// lose a key.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { execFile } from "node:child_process";
import { copyFile, mkdtemp, readdir, readFile, rm, writeFile } from "node:fs/promises";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { promisify } from "node:util";
import { PNG } from "pngjs";
import puppeteer from "puppeteer-core";
import { serve } from "../../web/serve.mjs";

const { Z80HOME_SITE: site, Z80HOME_HEADLESS: headless, Z80HOME_ROM_DIR: romDir } = process.env;
const WIDTH = 640, HEIGHT = 480;

// A PNG file's pixels as RGBA bytes.
function readPng(file) {
  const png = PNG.sync.read(file);
  return { width: png.width, height: png.height, rgba: png.data };
}
const HALT = "SET 6100 3E 80 D3 51 F3 76|RUN 6100|";
// The record SAVE 6100 6105 OFF writes: leader, sync, header (memory block
// "OFF", 6100, 6 bytes, check byte), the routine, its sum.
const RECORD = Buffer.from(
  "55 55 55 55 55 55 55 55 55 55 55 55 55 55 55 55 c3 3c 01 4f 46 46 20 20 20 20 20 00 61 06 00 1d 3e 80 d3 51 f3 76 4b 03"
    .split(" ").map((byte) => parseInt(byte, 16)),
);
const SETTLE_MS = 1000; // as the headless host waits after its input
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

let browser, server, address, work;
const errors = [];

before(async () => {
  assert.ok(site && headless && romDir, "run by scripts/web.sh --test");
  work = await mkdtemp(join(tmpdir(), "z80home-web-"));
  ({ server, address } = await serve(site));
  browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--autoplay-policy=no-user-gesture-required"],
  });
});

after(async () => {
  await browser?.close();
  server?.close();
  if (work) await rm(work, { recursive: true, force: true });
});

// ---------------------------------------------------------------- the two hosts
// Input is a list of steps: { text } types it ('|' is RETURN), { click: [x, y] }
// clicks the light pen at that point of the 640 by 480 screen, { paste } is
// typed by the host from the clipboard, { stalled } is a key pressed and
// released while the page's thread is busy (the headless host types both as
// keys).
function keyScript(text) {
  const name = (c) => ({ " ": "SPACE", "|": "RETURN" })[c] || c;
  return [...text].map((c) => `{${name(c)} down}{wait 80}{${name(c)} up}{wait 60}`).join("");
}

// The host gets a tape as the page has one: a copy of the file chosen, or a
// new one.
async function runHeadless(steps, tape, runMs) {
  const screenshot = join(work, "headless.png");
  const hostTape = join(work, "headless-tape.bin");
  await rm(hostTape, { force: true });
  if (tape) await copyFile(tape, hostTape);
  const args = ["--rom-dir", romDir, "--screenshot", screenshot, "--tape", hostTape];
  if (runMs) args.push("--run-ms", String(runMs));
  for (const step of steps) {
    if (step.click) args.push("--mouse", step.click.join());
    else args.push("--keys", keyScript(step.text ?? step.paste ?? step.stalled));
  }
  await promisify(execFile)(headless, args, {
    env: { ...process.env, SDL_AUDIODRIVER: "dummy" },
    timeout: 120000,
  });
  return readPng(await readFile(screenshot));
}

async function openPage() {
  const page = await browser.newPage();
  await page.setViewport({ width: 1000, height: 820 });
  page.on("console", (message) => {
    if (message.type() === "error") errors.push(message.text());
  });
  page.on("pageerror", (error) => errors.push(String(error)));
  await page.goto(address);
  await page.waitForFunction(() => window.z80home?.ready && window.z80home.frames > 0);
  return page;
}

const KEY_CODES = { " ": "Space", "|": "Enter" };
async function runPage(page, steps) {
  const box = await (await page.$("#screen")).boundingBox();
  for (const step of steps) {
    if (step.click) {
      const [x, y] = step.click;
      await page.mouse.move(box.x + ((x + 0.5) * box.width) / WIDTH,
                            box.y + ((y + 0.5) * box.height) / HEIGHT);
      await page.mouse.down();
      await sleep(60);
      await page.mouse.up();
      await sleep(60);
      continue;
    }
    if (step.stalled) {
      await stalledKey(page, KEY_CODES[step.stalled] || "Digit" + step.stalled);
      await sleep(60);
      continue;
    }
    if (step.paste) {
      await pasteByKeys(page, step.paste.replaceAll("|", "\n"));
      await page.waitForFunction(() => window.z80home.module._GetPasteLeft() === 0,
                                 { timeout: 60000 });
      continue;
    }
    for (const c of step.text) {
      const code = KEY_CODES[c] || (c >= "0" && c <= "9" ? "Digit" + c : "Key" + c);
      await page.keyboard.down(code);
      await sleep(80);
      await page.keyboard.up(code);
      await sleep(60);
    }
  }
  await sleep(SETTLE_MS);
}

// Pastes as a user does with Ctrl+V: the Ctrl key goes down on the machine
// first, then the browser's paste event carries the text, and Ctrl comes up
// while the text is being typed. Returns whether the page left the browser
// its Ctrl+V.
async function pasteByKeys(page, text) {
  await page.keyboard.down("ControlLeft");
  const leftToBrowser = await page.evaluate((text) => {
    const chord = { code: "KeyV", key: "v", ctrlKey: true, bubbles: true, cancelable: true };
    const down = new KeyboardEvent("keydown", chord);
    document.dispatchEvent(down);
    const clipboardData = new DataTransfer();
    clipboardData.setData("text/plain", text);
    document.dispatchEvent(new ClipboardEvent("paste", { clipboardData, bubbles: true, cancelable: true }));
    document.dispatchEvent(new KeyboardEvent("keyup", chord));
    return !down.defaultPrevented;
  }, text);
  await sleep(1000); // a slow hand lets go of Ctrl while the paste types
  await page.keyboard.up("ControlLeft");
  return leftToBrowser;
}

// A key pressed and released while the page's thread is busy for 300 ms:
// both events come before the next frame, as they do after a stall.
function stalledKey(page, code) {
  return page.evaluate((code) => new Promise((done) => setTimeout(() => {
    const busy = (ms) => { for (const end = performance.now() + ms; performance.now() < end;); };
    busy(150);
    document.dispatchEvent(new KeyboardEvent("keydown", { code, bubbles: true, cancelable: true }));
    document.dispatchEvent(new KeyboardEvent("keyup", { code, bubbles: true, cancelable: true }));
    busy(150);
    done();
  }, 0)), code);
}

async function canvasPixels(page) {
  const base64 = await page.evaluate(() => {
    const canvas = document.getElementById("screen");
    const data = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    let text = "";
    for (let i = 0; i < data.length; i += 0x8000)
      text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
    return btoa(text);
  });
  return Buffer.from(base64, "base64");
}

// The box around the pixels that differ, or null when none do.
function difference(a, b) {
  let box = null;
  for (let i = 0; i < WIDTH * HEIGHT; i++) {
    if (a.readUInt32LE(i * 4) === b.readUInt32LE(i * 4)) continue;
    const x = i % WIDTH, y = Math.floor(i / WIDTH);
    box ??= { left: x, top: y, right: x, bottom: y };
    box.left = Math.min(box.left, x);
    box.right = Math.max(box.right, x);
    box.bottom = y;
  }
  return box;
}

// Runs the same input on a fresh page and on the headless host until their
// last frames are equal; returns the page for further checks.
async function sameFrame(steps, { tape } = {}) {
  for (let attempt = 1; ; attempt++) {
    const page = await openPage();
    if (tape) await (await page.$("#tape")).uploadFile(tape);
    const [pixels, shot] = await Promise.all([
      runPage(page, steps).then(() => canvasPixels(page)),
      runHeadless(steps, tape),
    ]);
    assert.equal(shot.width, WIDTH);
    const box = difference(pixels, shot.rgba);
    if (!box) return page;
    await page.close();
    assert.ok(attempt < 3, `three attempts differed; the last in ${JSON.stringify(box)}`);
  }
}

// Returns a function that clicks a button and resolves with the bytes of the
// file it downloads.
async function downloads(page) {
  const folder = await mkdtemp(join(work, "download-"));
  const cdp = await page.createCDPSession();
  await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: folder });
  return async (button, name) => {
    await page.click(button);
    for (let i = 0; i < 50 && !(await readdir(folder)).includes(name); i++) await sleep(100);
    return readFile(join(folder, name));
  };
}

// ---------------------------------------------------------------- tests
test("the page loads with no console errors and shows the banner and prompt", async () => {
  const page = await openPage();
  const [shot] = await Promise.all([runHeadless([], null, 1500), sleep(1500)]);
  const box = difference(await canvasPixels(page), shot.rgba);
  // Only the blinking cursor may differ: one character cell at most.
  if (box) assert.ok(box.right - box.left < 16 && box.bottom - box.top < 24, JSON.stringify(box));
  assert.equal(await page.title(), "z80home");
  await page.close();
  assert.deepEqual(errors, []);
});

test("typed keys give the headless host's frame; the tape SAVE wrote and the screenshot download", async () => {
  const text = "MON|BEEP ON|SET 6100 3E 80 D3 51 F3 76|BEEP OFF|SAVE 6100 6105 OFF|RUN 6100|";
  const page = await sameFrame([{ text }]);
  const sound = await page.evaluate(() => window.z80home.sound);
  assert.ok(sound.plays >= 1 && sound.stops >= 1, `the beeper reached Web Audio: ${JSON.stringify(sound)}`);
  const download = await downloads(page);
  assert.deepEqual(await download("#tape-save", "tape.bin"), RECORD);
  const png = readPng(await download("#shot", "z80home.png"));
  assert.ok(png.rgba.equals(await canvasPixels(page)), "the screenshot is the screen");
  await page.close();
  assert.deepEqual(errors, []);
});

test("a tape chosen from a file loads", async () => {
  const tape = join(work, "record.bin");
  await writeFile(tape, RECORD);
  const page = await sameFrame([{ text: "MON|LOAD|DUMP 6100 6105|RUN 6100|" }], { tape });
  await page.close();
  assert.deepEqual(errors, []);
});

test("a click places the light pen", async () => {
  const page = await sameFrame([{ text: "MON|PEN|" }, { click: [316, 212] }, { text: " " + HALT }]);
  await page.close();
  assert.deepEqual(errors, []);
});

test("ROM images chosen from files are kept for the next visit", async () => {
  const font = join(work, "font.rom");
  await writeFile(font, Buffer.alloc(2048, 0xff));
  const page = await openPage();
  const reloaded = page.waitForNavigation();
  await (await page.$("#font")).uploadFile(font);
  await reloaded;
  await page.close();
  const visit = await openPage();
  const fontNow = () => window.z80home.module.FS.readFile("/font.rom").every((b) => b === 0xff);
  assert.equal(await visit.$eval("#status", (e) => e.textContent), "your ROM images");
  assert.ok(await visit.evaluate(fontNow));
  await Promise.all([visit.waitForNavigation(), visit.click("#builtin")]);
  await visit.waitForFunction(() => window.z80home?.ready);
  assert.equal(await visit.$eval("#status", (e) => e.textContent), "built-in ROM");
  assert.ok(!(await visit.evaluate(fontNow)));
  await visit.close();
  assert.deepEqual(errors, []);
});

test("Ctrl+V pastes the text, typed as the same keys would type it", async () => {
  const page = await sameFrame([{ text: "MON|" }, { paste: HALT }]);
  assert.ok(await pasteByKeys(page, ""), "the page kept Ctrl+V from the browser");
  await page.close();
  assert.deepEqual(errors, []);
});

test("a key pressed and released while the page stalls is typed", async () => {
  const page = await sameFrame([{ text: "MON|" }, { stalled: "7" }, { text: "|" + HALT }]);
  await page.close();
  assert.deepEqual(errors, []);
});

test("a listing dropped on the page is typed and run as the headless host types it; a binary .bas is refused", async () => {
  const listing = join(work, "listing.bas"), binary = join(work, "binary.bas");
  const halt = "POKE 24832,62:POKE 24833,128:POKE 24834,211:POKE 24835,81:POKE 24836,243:" +
               "POKE 24837,118:CALL 24832";
  await writeFile(listing, `10 PRINT "FROM A LISTING"\r\n20 ${halt}\r\n`);
  await writeFile(binary, RECORD);
  const page = await openPage();
  await page.evaluate(async (text) => {
    const dataTransfer = new DataTransfer();
    dataTransfer.items.add(new File([text], "listing.bas"));
    document.dispatchEvent(new DragEvent("drop", { dataTransfer, bubbles: true, cancelable: true }));
  }, await readFile(listing, "utf8"));
  await page.waitForFunction(
    () => document.getElementById("status").textContent.startsWith("listing.bas: typed"));
  await page.waitForFunction(
    () => !window.z80home.listingWaits && window.z80home.module._GetPasteLeft() === 0,
    { timeout: 60000 });
  await sleep(SETTLE_MS);
  const shot = join(work, "listing.png");
  await promisify(execFile)(headless, ["--rom-dir", romDir, "--screenshot", shot, listing], {
    env: { ...process.env, SDL_AUDIODRIVER: "dummy" },
    timeout: 120000,
  });
  const box = difference(await canvasPixels(page), readPng(await readFile(shot)).rgba);
  assert.equal(box, null, `the frames differ in ${JSON.stringify(box)}`);

  await (await page.$("#listing")).uploadFile(binary);
  await page.waitForFunction(() => document.getElementById("status").classList.contains("failure"));
  assert.match(await page.$eval("#status", (e) => e.textContent), /binary.bas: is not plain text/);
  await page.close();
  assert.deepEqual(errors, []);
});

test("a long paste is queued from the heap, capped with a message, and stopped", async () => {
  const page = await openPage();
  const paste = (length) =>
    page.evaluate((length) => {
      const clipboardData = new DataTransfer();
      clipboardData.setData("text/plain", "A".repeat(length - 7) + "\u20AC\u20AC\n\n\n\n\n");
      const start = performance.now();
      document.dispatchEvent(new ClipboardEvent("paste", { clipboardData, bubbles: true }));
      return { ms: performance.now() - start, left: window.z80home.module._GetPasteLeft() };
    }, length);
  const shown = () => page.$eval("#paste-stop", (button) => !button.hidden);
  const small = await paste(100000);
  assert.equal(small.left, 100000 - 2);
  assert.match(await page.$eval("#status", (e) => e.textContent), /2 have no key/);
  await page.waitForFunction(() => window.z80home.frames > 5);
  assert.ok(await shown(), "no Stop paste button while typing");
  await page.click("#paste-stop");
  await page.waitForFunction(() => window.z80home.module._GetPasteLeft() === 0);
  await page.waitForFunction(() => document.getElementById("paste-stop").hidden);

  const huge = await paste(1500000);
  assert.equal(huge.left, 1 << 20);
  assert.match(await page.$eval("#status", (e) => e.textContent),
               new RegExp(`${1500000 - 2 - (1 << 20)} did not fit`));
  const frames = await page.evaluate(() => window.z80home.frames);
  await page.waitForFunction((frames) => window.z80home.frames > frames + 5, {}, frames);
  await page.click("#reset");
  await page.waitForFunction(() => window.z80home.module._GetPasteLeft() === 0);
  console.log(`paste of 100,000 characters: ${small.ms.toFixed(1)} ms; ` +
              `of 1,500,000: ${huge.ms.toFixed(1)} ms`);
  await page.close();
  assert.deepEqual(errors, []);
});

test("the idle prompt puts few pictures on the canvas, and a hidden page is paused and silent", async () => {
  const page = await openPage();
  await sleep(1500);
  const count = () => page.evaluate(() => ({ ...window.z80home, module: null }));
  const before = await count();
  await sleep(2000);
  const idle = await count();
  const frames = idle.frames - before.frames, shown = idle.shown - before.shown;
  assert.ok(frames > 30, `${frames} frames in 2 s`);
  assert.ok(shown > 0 && shown * 4 < frames, `${shown} pictures in ${frames} frames`);

  await page.click("#screen");
  await page.waitForFunction(() => window.z80home.audioState() === "running");
  const hide = (hidden) =>
    page.evaluate((hidden) => {
      Object.defineProperty(document, "hidden", { value: hidden, configurable: true });
      document.dispatchEvent(new Event("visibilitychange"));
    }, hidden);
  await hide(true);
  await page.waitForFunction(() => window.z80home.audioState() === "suspended");
  const hidden = await page.evaluate(() => window.z80home.frames);
  await sleep(500);
  assert.equal(await page.evaluate(() => window.z80home.frames), hidden, "frames ran while hidden");
  await hide(false);
  await page.waitForFunction(() => window.z80home.audioState() === "running");
  await page.waitForFunction((hidden) => window.z80home.frames > hidden, {}, hidden);
  await page.close();
  assert.deepEqual(errors, []);
});

test("an empty or oversized ROM file is refused with a message and the ROM stays", async () => {
  const page = await openPage();
  const empty = join(work, "empty.rom"), big = join(work, "big.rom");
  await writeFile(empty, Buffer.alloc(0));
  await writeFile(big, Buffer.alloc(24577, 0xc9));
  const cases = [["#rom", empty, /empty.rom is empty; the system ROM in use stays/],
                 ["#font", big, /big.rom has 24577 bytes, more than the 2048 of a font ROM/],
                 ["#rom", big, /big.rom has 24577 bytes, more than the 24576 of a system ROM/]];
  for (const [input, file, message] of cases) {
    await (await page.$(input)).uploadFile(file);
    await page.waitForFunction(() => document.getElementById("status").classList.contains("failure"));
    assert.match(await page.$eval("#status", (e) => e.textContent), message);
    await page.evaluate(() => document.getElementById("status").classList.remove("failure"));
  }
  assert.equal(await page.evaluate(() => localStorage.length), 0);
  assert.equal(page.url(), address, "the page reloaded");
  await page.close();
  assert.deepEqual(errors, []);
});

