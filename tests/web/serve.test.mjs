// The page's static server: it serves the folder given and nothing beside
// it, however the path is written.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { mkdir, mkdtemp, rm, writeFile } from "node:fs/promises";
import { request } from "node:http";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { serve } from "../../web/serve.mjs";

let work, server, address;

before(async () => {
  work = await mkdtemp(join(tmpdir(), "z80home-serve-"));
  await mkdir(join(work, "site", "sub"), { recursive: true });
  await mkdir(join(work, "site-private"));
  await writeFile(join(work, "site", "index.html"), "index");
  await writeFile(join(work, "site", "sub", "page.js"), "page");
  await writeFile(join(work, "site-private", "secret.txt"), "secret");
  await writeFile(join(work, "outside.txt"), "outside");
  ({ server, address } = await serve(join(work, "site")));
});

after(async () => {
  server?.close();
  if (work) await rm(work, { recursive: true, force: true });
});

// The path goes to the server exactly as written, not as a URL parser
// would tidy it.
function get(path) {
  const { hostname, port } = new URL(address);
  return new Promise((done, failed) => {
    request({ hostname, port, path }, (response) => {
      let body = "";
      response.on("data", (chunk) => (body += chunk));
      response.on("end", () => done({ status: response.statusCode, body }));
    }).on("error", failed).end();
  });
}

test("the folder's files are served", async () => {
  assert.deepEqual(await get("/"), { status: 200, body: "index" });
  assert.deepEqual(await get("/sub/page.js"), { status: 200, body: "page" });
  assert.deepEqual(await get("/sub/../index.html"), { status: 200, body: "index" });
  assert.equal((await get("/missing.js")).status, 404);
});

test("nothing outside the folder is served, however the path climbs", async () => {
  const climbs = [
    "/../outside.txt",
    "/..%2Foutside.txt",
    "/..%2Fsite-private/secret.txt",
    "/%2E%2E%2Fsite-private%2Fsecret.txt",
    "/sub/..%2F..%2Fsite-private/secret.txt",
    "/..%5Csite-private%5Csecret.txt",
    "/%E0%A4%A.txt",
    "/index.html%00.txt",
  ];
  for (const path of climbs) {
    const { status, body } = await get(path);
    assert.ok(status === 403 || status === 404, `${path}: ${status}`);
    assert.ok(!["secret", "outside"].includes(body), `${path} served ${body}`);
  }
});
