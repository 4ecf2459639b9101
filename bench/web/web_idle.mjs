// What the page costs at BASIC's idle prompt, in headless Chromium: the CPU
// time of the page's renderer process and of the GPU process over a number
// of seconds, as a share of one core, next to an empty page that only runs a
// frame loop, for scale. Several built pages (this tree's and an earlier
// one's) take turns, a fresh browser for each run, so they meet the same
// load from whatever else runs on the machine; prints each run and the
// medians.
//
//   node bench/web/web_idle.mjs [--seconds S] [--runs N] SITE...
//
// (scripts/web.sh --idle runs it on this tree's page.)
import { readFileSync, readdirSync } from "node:fs";
import { execFileSync } from "node:child_process";
import puppeteer from "puppeteer-core";
import { serve } from "../../web/serve.mjs";

let seconds = 20, runs = 3;
const sites = [];
for (let i = 2; i < process.argv.length; i++) {
  const arg = process.argv[i];
  if (arg === "--seconds") seconds = Number(process.argv[++i]);
  else if (arg === "--runs") runs = Number(process.argv[++i]);
  else sites.push(arg);
}
if (!sites.length || !(seconds > 0) || !(runs > 0)) {
  console.error("usage: node bench/web/web_idle.mjs [--seconds S] [--runs N] SITE...");
  process.exit(2);
}
const ticksPerSecond = Number(execFileSync("getconf", ["CLK_TCK"]).toString());
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// Every process under pid, with its kind (renderer, gpu-process, ...) and
// the CPU ticks it has used.
function processes(root) {
  const all = new Map();
  for (const name of readdirSync("/proc")) {
    if (!/^\d+$/.test(name)) continue;
    try {
      const stat = readFileSync(`/proc/${name}/stat`, "utf8");
      const fields = stat.slice(stat.lastIndexOf(")") + 2).split(" ");
      const command = readFileSync(`/proc/${name}/cmdline`, "utf8");
      const kind = /--type=([\w-]+)/.exec(command)?.[1] ?? "browser";
      all.set(Number(name), { parent: Number(fields[1]), kind, ticks: Number(fields[11]) + Number(fields[12]) });
    } catch {
      // gone meanwhile
    }
  }
  const under = new Map();
  const within = (pid) => pid === root || (all.has(pid) && pid !== 1 && within(all.get(pid).parent));
  for (const [pid, entry] of all) if (within(pid)) under.set(pid, entry);
  return under;
}

// The share of a core each kind of process took over the seconds.
async function measure(url, ready) {
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox"],
  });
  const page = await browser.newPage();
  await page.goto(url);
  await page.waitForFunction(ready);
  await sleep(2000); // booted, at the prompt
  const root = browser.process().pid;
  const before = processes(root);
  await sleep(seconds * 1000);
  const after = processes(root);
  const share = {};
  for (const [pid, entry] of after) {
    const used = entry.ticks - (before.get(pid)?.ticks ?? 0);
    share[entry.kind] = (share[entry.kind] ?? 0) + (100 * used) / (ticksPerSecond * seconds);
  }
  await browser.close();
  return share;
}

const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];
const results = new Map();
const record = (name, share) => {
  if (!results.has(name)) results.set(name, { renderer: [], gpu: [] });
  results.get(name).renderer.push(share.renderer ?? 0);
  results.get(name).gpu.push(share["gpu-process"] ?? 0);
  console.log(`${name}: renderer ${(share.renderer ?? 0).toFixed(1)} %, ` +
              `GPU process ${(share["gpu-process"] ?? 0).toFixed(1)} %`);
};
const empty = "data:text/html,<script>(function f(){requestAnimationFrame(f)})()</script>";
for (let run = 1; run <= runs; run++) {
  for (const site of sites) {
    const { server, address } = await serve(site);
    record(site, await measure(address, () => window.z80home?.ready && window.z80home.frames > 0));
    server.close();
  }
  record("empty frame loop", await measure(empty, () => true));
}
console.log(`medians of ${runs} runs of ${seconds} s, in % of one core:`);
for (const [name, { renderer, gpu }] of results)
  console.log(`  ${name}: renderer ${median(renderer).toFixed(1)}, GPU process ${median(gpu).toFixed(1)}`);
