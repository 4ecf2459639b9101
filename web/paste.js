// The page's paste, apart from the page so that Node.js can run it too (the
// tests give it a stand-in for the module). The text goes to PasteText, which
// types it in the machine's time, as the NUL-terminated UTF-8 it reads,
// through the module's heap, however long it is; what the paste's queue has
// no room for, and the characters with no key, are counted and told.
"use strict";

// Types text on the machine of module emu: what to tell the user, and
// whether it tells of a failure.
function pasteText(emu, text) {
  if (!text) return { news: "the clipboard holds no text", failure: true };
  const size = emu.lengthBytesUTF8(text) + 1;
  const at = emu._malloc(size);
  if (!at) return { news: "the text is too large to paste", failure: true };
  let skipped, beyond;
  try {
    emu.stringToUTF8(text, at, size);
    const overflow = emu._GetPasteOverflow() >>> 0;
    skipped = emu._PasteText(at);
    beyond = (emu._GetPasteOverflow() >>> 0) - overflow;
  } finally {
    emu._free(at);
  }
  let news = `typing ${emu._GetPasteLeft() >>> 0} characters`;
  if (skipped > beyond) news += `; ${skipped - beyond} have no key`;
  if (beyond) news += `; ${beyond} did not fit in the paste's queue and are left out`;
  return { news, failure: skipped > 0 };
}
