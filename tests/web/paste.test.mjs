// The page's paste (web/paste.js) in Node.js, against a stand-in for the
// module that keeps Emscripten's rule for strings: stringToUTF8 writes whole
// characters and the closing NUL within the size it is given. Whatever the
// text, PasteText reads all of it, and the heap's copy is freed.
import { test } from "node:test";
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import vm from "node:vm";

const page = {};
vm.runInNewContext(readFileSync(new URL("../../web/paste.js", import.meta.url), "utf8"), page);

// A module whose PasteText finds no key for `skipped` characters, `beyond`
// of them for want of room; heap bytes not written read as 0xFF.
function moduleStandIn(skipped = 0, beyond = 0) {
  const heap = new Uint8Array(4096).fill(0xff);
  const emu = {
    pasted: [],
    held: 0,
    overflow: 0,
    lengthBytesUTF8: (text) => Buffer.byteLength(text),
    stringToUTF8(text, at, size) {
      let end = at;
      for (const c of text) {
        const bytes = Buffer.from(c);
        if (end + bytes.length >= at + size) break;
        heap.set(bytes, end);
        end += bytes.length;
      }
      heap[end] = 0;
    },
    _malloc: (size) => (size <= heap.length - 16 ? (emu.held = 16) : 0),
    _free: (at) => (emu.held -= at),
    _PasteText(at) {
      const text = Buffer.from(heap.subarray(at, heap.indexOf(0, at))).toString();
      emu.pasted.push(text);
      emu.overflow += beyond;
      emu.left = [...text].length - skipped;
      return skipped;
    },
    _GetPasteOverflow: () => emu.overflow,
    _GetPasteLeft: () => emu.left,
  };
  return emu;
}

test("every text reaches PasteText whole, and its copy is freed", () => {
  const letters = [..."az AZ09\n\t\"'é€日本😀"];
  let seed = 5;
  const random = (n) => ((seed = (Math.imul(seed, 1103515245) + 12345) >>> 0) >>> 16) % n;
  for (let length = 1; length <= 60; length++) {
    const text = Array.from({ length }, () => letters[random(letters.length)]).join("");
    const emu = moduleStandIn();
    assert.deepEqual(pasteOf(emu, text), { news: `typing ${[...text].length} characters`, failure: false });
    assert.deepEqual(emu.pasted, [text]);
    assert.equal(emu.held, 0, "the heap's copy is not freed");
  }
});

test("what was left out, and texts that cannot go, are told", () => {
  const emu = moduleStandIn(3, 1);
  assert.deepEqual(pasteOf(emu, "ABCDE"), {
    news: "typing 2 characters; 2 have no key; 1 did not fit in the paste's queue and are left out",
    failure: true,
  });
  for (const [text, news] of [["", "the clipboard holds no text"], ["x".repeat(5000), "the text is too large to paste"]]) {
    const none = moduleStandIn();
    assert.deepEqual(pasteOf(none, text), { news, failure: true });
    assert.deepEqual(none.pasted, []);
  }
});

// The answer, an object of the script's own context, as one of this.
function pasteOf(emu, text) {
  return { ...page.pasteText(emu, text) };
}
