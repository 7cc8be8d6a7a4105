// The page: the board (bevorel.js, web_api.cpp) on a canvas, paced at 60
// frames a second by the emulated time owed, whatever the display's rate;
// keys, controllers and touch buttons; ROM sets from files; states; pictures.
"use strict";
const $ = (id) => document.getElementById(id);
const kWidth = 256, kHeight = 224, kFramePeriod = 1000 / 60, kFastFactor = 8;
const canvas = $("screen"), context = canvas.getContext("2d"), image = context.createImageData(kWidth, kHeight);
let board = null;                 // the module, once loaded
let running = false, paused = false, fast = false, tabHeld = false, manual = false;
let last = null, owed = 0;        // the display's last time, the board's time owed (ms)
const keysHeld = new Set(), touchHeld = new Set();
const loaded = createBevorel().then((module) => { board = module; });

function say(text, error = false) {
  $("status").textContent = text;
  $("status").className = error ? "error" : "";
}

// The held keys into the board's 16 bytes: the keyboard's, the touch
// buttons' and the controllers'.
function putKeys() {
  const at = board._web_keys(), bytes = board.HEAPU8.subarray(at, at + 16);
  bytes.fill(0);
  for (const set of [keysHeld, touchHeld, gamepadHeld()]) for (const code of set) bytes[code >> 3] |= 0x80 >> (code & 7);
}

function gamepadHeld() {
  const held = new Set();
  for (const pad of navigator.getGamepads ? navigator.getGamepads() : []) {
    if (!pad) continue;
    const pressed = (i) => pad.buttons[i] && pad.buttons[i].pressed;
    if (pressed(12) || pad.axes[1] < -0.5) held.add(gamepadKeys.up);
    if (pressed(13) || pad.axes[1] > 0.5) held.add(gamepadKeys.down);
    if (pressed(14) || pad.axes[0] < -0.5) held.add(gamepadKeys.left);
    if (pressed(15) || pad.axes[0] > 0.5) held.add(gamepadKeys.right);
    for (const [button, code] of gamepadKeys.buttons) if (pressed(button)) held.add(code);
  }
  return held;
}

function draw() {
  const at = board._web_rgba();
  image.data.set(board.HEAPU8.subarray(at, at + kWidth * kHeight * 4));
  context.putImageData(image, 0, 0);
}

function runFrames(count) {
  putKeys();
  board._web_run_frames(count);
  draw();
}

// Each display frame runs the board frames its time owes (none, one or
// more), so the board keeps 60 Hz on a 30, 60 or 144 Hz display.
function tick(now) {
  requestAnimationFrame(tick);
  if (!running || paused || manual || last === null) { last = now; return; }
  owed += Math.min(now - last, 250);  // a hidden tab does not make up for its time
  last = now;
  let count = Math.floor(owed / kFramePeriod);
  owed -= count * kFramePeriod;
  if (fast || tabHeld) count *= kFastFactor;
  if (count > 0) runFrames(count);
}
requestAnimationFrame(tick);

// Integer scaling: the largest whole multiple of 256 x 224 (square pixels,
// the board's 8:7 shape) that fits.
function fit() {
  const full = document.fullscreenElement === $("stage");
  const room = full ? [innerWidth, innerHeight]
    : [innerWidth, innerHeight - $("stage").getBoundingClientRect().top - $("status").offsetHeight - $("touch").offsetHeight - 16];
  const scale = Math.max(1, Math.floor(Math.min(room[0] / kWidth, room[1] / kHeight)));
  canvas.style.width = `${kWidth * scale}px`;
  canvas.style.height = `${kHeight * scale}px`;
}
addEventListener("resize", fit);
document.addEventListener("fullscreenchange", fit);

// A ROM set's files (name -> bytes) into /Roms/ and the board started on
// them; the board checks them as the desktop checks loose files.
async function bootSet(files, label) {
  await loaded;
  const fs = board.FS;
  if (!fs.analyzePath("/Roms").exists) fs.mkdir("/Roms");
  for (const name of fs.readdir("/Roms")) if (name !== "." && name !== "..") fs.unlink(`/Roms/${name}`);
  for (const [name, bytes] of files) fs.writeFile(`/Roms/${name}`, bytes);
  if (!board._web_boot()) {
    running = false;
    say(`${label}: ${board.UTF8ToString(board._web_message())}`, true);
    return false;
  }
  running = true; paused = false; owed = 0;
  for (const id of ["pause", "reset", "fast", "save", "load", "download", "upload", "shot"]) $(id).disabled = false;
  $("pause").textContent = "Pause";
  say(`${label} running.`);
  draw();
  return true;
}

async function bootDemo() {
  const files = new Map();
  for (const name of kRomSetNames) {
    const response = await fetch(`demo/${name}`);
    if (!response.ok) { say(`The demo's ${name} could not be fetched (${response.status})`, true); return false; }
    files.set(name, new Uint8Array(await response.arrayBuffer()));
  }
  return bootSet(files, "The demo");
}

// Picked or dropped files: one .zip, or the set's six files.
async function openFiles(list) {
  const picked = [...list];
  if (picked.length === 0) return false;
  try {
    const zip = picked.find((f) => /\.zip$/i.test(f.name));
    if (zip) return await bootSet(await unpackRomZip(zip.name, new Uint8Array(await zip.arrayBuffer())), zip.name);
    const files = new Map();
    for (const f of picked) {
      if (!kRomSetNames.includes(f.name))
        throw new Error(`${f.name} is not a ROM set: give its six files (${kRomSetNames.join(", ")}) or a .zip of them`);
      files.set(f.name, new Uint8Array(await f.arrayBuffer()));
    }
    return await bootSet(files, "The ROM set");
  } catch (error) {
    say(error.message, true);
    return false;
  }
}

// ---- States: a slot in IndexedDB, or a file in the desktop's format ----
function stateImage() {
  const size = board._web_save_state(), at = board._web_state_data();
  return board.HEAPU8.slice(at, at + size);
}
function loadImage(bytes, label) {
  board.HEAPU8.set(bytes, board._web_state_buffer(bytes.length));
  if (!board._web_load_state()) { say(`${label}: ${board.UTF8ToString(board._web_message())}`, true); return false; }
  draw();
  say(`${label} loaded.`);
  return true;
}
async function saveSlot(slot) {
  await putState(`slot${slot}`, stateImage());
  say(`State saved in slot ${slot}.`);
}
async function loadSlot(slot) {
  const bytes = await getState(`slot${slot}`);
  if (!bytes) { say(`No state in slot ${slot} yet.`, true); return false; }
  return loadImage(bytes, `Slot ${slot}`);
}

function download(blob, name) {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(blob);
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}
function stamp() {
  const d = new Date(), two = (n) => String(n).padStart(2, "0");
  return `${d.getFullYear()}${two(d.getMonth() + 1)}${two(d.getDate())}-${two(d.getHours())}${two(d.getMinutes())}${two(d.getSeconds())}`;
}
function screenshot() { canvas.toBlob((blob) => download(blob, `bevorel-${stamp()}.png`)); }

function togglePause() {
  if (!running) return;
  paused = !paused;
  $("pause").textContent = paused ? "Go on" : "Pause";
  say(paused ? "Paused." : "Running.");
}
function reset() { if (running) { board._web_reset(); say("Reset."); } }
function toggleFast() { fast = !fast; $("fast").setAttribute("aria-pressed", String(fast)); }
function toggleFullScreen() {
  if (document.fullscreenElement) document.exitFullscreen();
  else $("stage").requestFullscreen().catch((error) => say(`Full screen refused: ${error.message}`, true));
}

// ---- Controls ----
$("boot").addEventListener("click", bootDemo);
$("romfiles").addEventListener("change", (e) => openFiles(e.target.files));
$("pause").addEventListener("click", togglePause);
$("reset").addEventListener("click", reset);
$("fast").addEventListener("click", toggleFast);
$("save").addEventListener("click", () => saveSlot(0));
$("load").addEventListener("click", () => loadSlot(0));
$("download").addEventListener("click", () => download(new Blob([stateImage()]), "bevorel-slot0.state"));
$("upload").addEventListener("change", async (e) => {
  const file = e.target.files[0];
  if (file) loadImage(new Uint8Array(await file.arrayBuffer()), file.name);
  e.target.value = "";
});
$("shot").addEventListener("click", screenshot);
$("full").addEventListener("click", toggleFullScreen);
document.addEventListener("dragover", (e) => e.preventDefault());
document.addEventListener("drop", (e) => { e.preventDefault(); openFiles(e.dataTransfer.files); });
for (const button of document.querySelectorAll("#touch button")) {
  const code = Number(button.dataset.key);
  button.addEventListener("pointerdown", (e) => { e.preventDefault(); touchHeld.add(code); });
  for (const end of ["pointerup", "pointercancel", "pointerleave"]) button.addEventListener(end, () => touchHeld.delete(code));
}

// The desktop's hotkeys where a browser lets the page have them; every other
// key at a board position is held for the board.
document.addEventListener("keydown", (e) => {
  const f = /^F([1-8])$/.exec(e.code);
  if (f && e.code !== "F3") { e.preventDefault(); if (running) (e.shiftKey ? saveSlot : loadSlot)(Number(f[1]) - 1); return; }
  const hotkeys = { KeyP: togglePause, Pause: togglePause, F3: reset, F11: toggleFullScreen, F12: screenshot };
  if (hotkeys[e.code]) { e.preventDefault(); if (!e.repeat) hotkeys[e.code](); return; }
  if (e.code === "Tab") { e.preventDefault(); tabHeld = true; return; }
  if (e.code === "Enter" && e.altKey) { e.preventDefault(); if (!e.repeat) toggleFullScreen(); return; }
  if (e.code in boardKeyCodes && running) { e.preventDefault(); keysHeld.add(boardKeyCodes[e.code]); }
});
document.addEventListener("keyup", (e) => {
  if (e.code === "Tab") tabHeld = false;
  if (e.code in boardKeyCodes) keysHeld.delete(boardKeyCodes[e.code]);
});
addEventListener("blur", () => { keysHeld.clear(); tabHeld = false; });
fit();

// For tests and scripts: frames run on request with the held keys, the
// picture's hash as the desktop's tests record it, states.
window.bevorel = {
  loaded, bootDemo, openFiles, saveSlot, loadSlot,
  manual(on) { manual = on; },
  step(count) { runFrames(count); return board.UTF8ToString(board._web_frame_hash()); },
  hash() { return board.UTF8ToString(board._web_frame_hash()); },
  romSetHash() { return board.UTF8ToString(board._web_rom_set_hash()); },
  // Frames run unpaced, each drawn on the canvas: frames a second.
  bench(count) {
    const start = performance.now();
    for (let i = 0; i < count; ++i) runFrames(1);
    return count / ((performance.now() - start) / 1000);
  },
  status() { return $("status").textContent; },
};

// index.html?demo boots the demo as the page opens (a link that plays at once).
if (new URLSearchParams(location.search).has("demo")) bootDemo();
