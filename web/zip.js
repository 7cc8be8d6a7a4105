// A ROM set's .zip unpacked in the page: the central directory read here, each
// entry inflated by the browser (DecompressionStream). The six files are
// found by name in any folder and checked as the desktop program checks an
// archive, with its messages.
"use strict";
const kRomSetNames = ["PELLMORA.2A", "PELLMORA.3A", "CH0", "CH1", "CH2", "CH3"];
const kRomFileSize = 131072;

async function unpackRomZip(name, bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  let end = -1;
  for (let i = bytes.length - 22; i >= Math.max(0, bytes.length - 22 - 65535); --i)
    if (view.getUint32(i, true) === 0x06054b50) { end = i; break; }
  if (end < 0) throw new Error(`${name} is not a zip archive the page can read (no central directory)`);
  const count = view.getUint16(end + 10, true);
  let at = view.getUint32(end + 16, true);
  const entries = new Array(6).fill(null);
  for (let n = 0; n < count; ++n) {
    if (at + 46 > bytes.length || view.getUint32(at, true) !== 0x02014b50)
      throw new Error(`${name} is not a zip archive the page can read (its directory is damaged)`);
    const nameLength = view.getUint16(at + 28, true);
    const path = new TextDecoder().decode(bytes.subarray(at + 46, at + 46 + nameLength));
    const k = kRomSetNames.indexOf(path.slice(path.lastIndexOf("/") + 1));
    if (k >= 0) {
      if (entries[k]) throw new Error(`${name} holds ${kRomSetNames[k]} twice`);
      entries[k] = { method: view.getUint16(at + 10, true), packed: view.getUint32(at + 20, true),
                     size: view.getUint32(at + 24, true), local: view.getUint32(at + 42, true) };
    }
    at += 46 + nameLength + view.getUint16(at + 30, true) + view.getUint16(at + 32, true);
  }
  entries.forEach((e, k) => { if (!e) throw new Error(`${name} holds no ${kRomSetNames[k]}`); });
  entries.forEach((e, k) => {
    if (e.size !== kRomFileSize)
      throw new Error(`${name}: ${kRomSetNames[k]} is ${e.size} bytes; a ROM file in an archive must be exactly ${kRomFileSize}`);
  });
  const files = new Map();
  for (let k = 0; k < 6; ++k) files.set(kRomSetNames[k], await inflateEntry(name, kRomSetNames[k], bytes, view, entries[k]));
  return files;
}

async function inflateEntry(name, file, bytes, view, e) {
  const where = `${name}: ${file}`;
  if (view.getUint32(e.local, true) !== 0x04034b50) throw new Error(`${where} is damaged (no local header)`);
  const start = e.local + 30 + view.getUint16(e.local + 26, true) + view.getUint16(e.local + 28, true);
  const packed = bytes.subarray(start, start + e.packed);
  let data;
  if (e.method === 0) data = packed;
  else if (e.method === 8) {
    try {
      const stream = new Blob([packed]).stream().pipeThrough(new DecompressionStream("deflate-raw"));
      data = new Uint8Array(await new Response(stream).arrayBuffer());
    } catch (error) { throw new Error(`${where} is damaged (${error.message})`); }
  } else throw new Error(`${where} cannot be opened (compression method ${e.method} is not supported)`);
  if (data.length !== kRomFileSize) throw new Error(`${where} is damaged (its data ends early)`);
  return data;
}
