// The page's speed against the native build, in the same run on the same
// machine: the machine booted by the page's driver, then its slices run back
// to back with no pacing (emulated MHz) and its frames drawn back to back
// (ms per frame, DrawScreen and the canvas bytes), in headless Chromium and
// natively, alternating, three rounds; prints each round and the medians'
// ratios.
//
//   node bench/web/web_bench.mjs SITE NATIVE_BENCH ROM_DIR
import { execFile } from "node:child_process";
import { promisify } from "node:util";
import puppeteer from "puppeteer-core";
import { serve } from "../../web/serve.mjs";

const [site, native, romDir] = process.argv.slice(2);
const WALL_MS = 2000, FRAMES = 300, ROUNDS = 3;

const { server, address } = await serve(site);
const browser = await puppeteer.launch({
  executablePath: "/usr/bin/chromium",
  headless: true,
  args: ["--no-sandbox"],
});
const page = await browser.newPage();
await page.goto(address);
await page.waitForFunction(() => window.z80home.ready && window.z80home.frames > 90);

const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];
const web = { mhz: [], drawMs: [] }, nat = { mhz: [], drawMs: [] };
for (let round = 1; round <= ROUNDS; round++) {
  const inPage = await page.evaluate(
    (wallMs, frames) => ({
      mhz: window.z80home.module._WebMeasureMhz(wallMs),
      drawMs: window.z80home.module._WebMeasureDrawMs(frames),
    }),
    WALL_MS, FRAMES,
  );
  const { stdout } = await promisify(execFile)(native, [romDir, String(WALL_MS), String(FRAMES)]);
  const [, mhz, drawMs] = stdout.match(/mhz=([\d.]+) draw_ms=([\d.]+)/).map(Number);
  web.mhz.push(inPage.mhz); web.drawMs.push(inPage.drawMs);
  nat.mhz.push(mhz); nat.drawMs.push(drawMs);
  console.log(`round ${round}: page ${inPage.mhz.toFixed(1)} MHz, ${inPage.drawMs.toFixed(3)} ms a frame;` +
              ` native ${mhz.toFixed(1)} MHz, ${drawMs.toFixed(3)} ms a frame`);
}
const [wm, nm, wd, nd] = [median(web.mhz), median(nat.mhz), median(web.drawMs), median(nat.drawMs)];
console.log(`emulated MHz, unpaced: page ${wm.toFixed(1)}, native ${nm.toFixed(1)}, ` +
            `page/native ${(wm / nm).toFixed(2)}`);
console.log(`ms per frame drawn: page ${wd.toFixed(3)}, native ${nd.toFixed(3)}, ` +
            `page/native ${(wd / nd).toFixed(2)}`);
console.log("(the paced machine needs 1.9 MHz and a frame every 16.7 ms)");
await browser.close();
server.close();
