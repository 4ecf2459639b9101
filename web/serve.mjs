// A static server for the page: serves one folder on 127.0.0.1 and prints
// the address. WebAssembly needs its own MIME type to compile as it loads.
//
//   node web/serve.mjs FOLDER [PORT]     (PORT 0 or none: any free port)
//
// Also imported by the browser tests, which start it on a free port.
import { createServer } from "node:http";
import { readFile } from "node:fs/promises";
import { extname, join, normalize, resolve, sep } from "node:path";
import { pathToFileURL } from "node:url";

const TYPES = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".mjs": "text/javascript; charset=utf-8",
  ".wasm": "application/wasm",
  ".css": "text/css; charset=utf-8",
  ".png": "image/png",
};

// The file a request's path names inside root, or null when it names none
// there: a path that climbs out (an encoded "..%2F" too) or that cannot be
// decoded. A sibling folder whose name starts with root's is outside it.
export function fileInside(root, requestPath) {
  let path;
  try {
    path = decodeURIComponent(requestPath);
  } catch {
    return null;
  }
  if (path.includes("\0")) return null;
  const file = normalize(join(root, path.endsWith("/") ? path + "index.html" : path));
  return file.startsWith(root + sep) ? file : null;
}

// Resolves with the server and its address once it listens.
export function serve(folder, port = 0) {
  const root = resolve(folder);
  const server = createServer(async (request, response) => {
    const file = fileInside(root, new URL(request.url, "http://localhost").pathname);
    if (!file) {
      response.writeHead(403).end();
      return;
    }
    try {
      const body = await readFile(file);
      response.writeHead(200, {
        "Content-Type": TYPES[extname(file)] || "application/octet-stream",
        "Cache-Control": "no-cache",
      });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((done, failed) => {
    server.once("error", failed);
    server.listen(port, "127.0.0.1", () =>
      done({ server, address: `http://127.0.0.1:${server.address().port}/` }),
    );
  });
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const [folder, port] = process.argv.slice(2);
  if (!folder) {
    console.error("usage: node serve.mjs FOLDER [PORT]");
    process.exit(2);
  }
  const { address } = await serve(folder, Number(port || 0));
  console.log(`z80home: serving ${folder} at ${address} (Ctrl+C stops)`);
}
