// The browser build tested in headless Chromium: serves the built page on
// 127.0.0.1, boots the demo with one click, holds keys as a player would and
// requires the reviewed frames of the end-to-end test's played run (read from
// its source, the same hash); saves and loads a state; boots the demo's .zip
// through the file input. Any error on the page's console fails the test.
// A state downloaded from the page loads in the desktop program, which draws
// the same frame K frames on, and the file uploaded back loads in the page.
// Usage: node page_test.js SITE_DIR GOLDEN_SOURCE DEMO_ZIP WORK_DIR PROGRAM PNG_HASHER
"use strict";
const http = require("http");
const fs = require("fs");
const path = require("path");
const puppeteer = require("puppeteer-core");

const { execFileSync } = require("child_process");
const [site, goldenSource, demoZip, work, program, pngHasher] = process.argv.slice(2);
const failures = [];
const fail = (text) => { failures.push(text); console.log(`FAIL: ${text}`); };

// The played run of the end-to-end test: its key script and reviewed frames.
function playedRun() {
  const source = fs.readFileSync(goldenSource, "utf8");
  const script = /const std::vector<KeyEvent> script = \{([^;]*)\};\s*runAndCheck\("demo_play", script, \{([^;]*)\}\);/.exec(source);
  if (!script) throw new Error(`no demo_play run in ${goldenSource}`);
  const events = [...script[1].matchAll(/\{(\d+), (k\w+), (true|false)\}/g)]
    .map((m) => ({ frame: Number(m[1]), key: m[2], held: m[3] === "true" }));
  const golden = [...script[2].matchAll(/\{(\d+), 0x([0-9A-F]+)ull\}/g)].map((m) => ({ frame: Number(m[1]), hash: m[2] }));
  const attract = /runAndCheck\("demo_attract"[^;]*\{60, 0x([0-9A-F]+)ull\}/.exec(source);
  return { events, golden, attract60: attract && attract[1] };
}
// The keys the e2e names, as a player presses them (KeyboardEvent.code).
const keyCodes = { kUp: "ArrowUp", kDown: "ArrowDown", kLeft: "ArrowLeft", kRight: "ArrowRight", kLeftAlt: "AltLeft",
                   kSpace: "Space", kLeftShift: "ShiftLeft", kKey1: "Digit1", kKey2: "Digit2", kKey3: "Digit3",
                   kKey4: "Digit4", kKey5: "Digit5" };

function serve(root) {
  const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm", ".css": "text/css" };
  const server = http.createServer((request, response) => {
    const file = path.join(root, decodeURIComponent(new URL(request.url, "http://x").pathname));
    if (!file.startsWith(root) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404); response.end(); return;
    }
    response.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream" });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

// The state downloaded through the page's button, loaded by the desktop
// program from its slot 0 (XDG_DATA_HOME in WORK_DIR) for 45 frames, against
// the page's 45 frames from the file uploaded back.
async function desktopRoundTrip(page) {
  const downloads = path.join(work, "downloads");
  fs.rmSync(downloads, { recursive: true, force: true });
  const cdp = await page.createCDPSession();
  const done = new Promise((resolve) => cdp.on("Browser.downloadProgress", (e) => { if (e.state !== "inProgress") resolve(e.state); }));
  await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads, eventsEnabled: true });
  await page.click("#download");
  if ((await done) !== "completed") { fail("the state was not downloaded"); return; }
  const file = path.join(downloads, "bevorel-slot0.state");
  const slots = path.join(work, "xdg", "bevorel", "states");
  fs.rmSync(path.join(work, "xdg"), { recursive: true, force: true });
  fs.mkdirSync(slots, { recursive: true });
  fs.copyFileSync(file, path.join(slots, `${await page.evaluate(() => window.bevorel.romSetHash())}-slot0.state`));
  const png = path.join(work, "desktop_frame.png");
  execFileSync(program, ["--boot", "--load-state", "0", "--frames", "45", "--speed", "unlimited", "--screenshot", png],
               { env: { ...process.env, SDL_VIDEODRIVER: "dummy", XDG_DATA_HOME: path.join(work, "xdg"),
                        XDG_CONFIG_HOME: path.join(work, "xdg", "config") }, stdio: "ignore", timeout: 60000 });
  const desktop = execFileSync(pngHasher, [png]).toString().trim().toUpperCase().replace(/^0X/, "");
  const upload = await page.$("#upload");
  await upload.uploadFile(file);
  await page.waitForFunction(() => /^bevorel-slot0\.state/.test(window.bevorel.status()));
  const browser = await page.evaluate(() => window.bevorel.step(45));
  if (browser !== desktop) fail(`a downloaded state 45 frames on: the desktop ${desktop}, the page ${browser}`);
  else console.log(`state file: the desktop and the page 45 frames on from it: ${browser}`);
}

async function main() {
  const run = playedRun();
  const server = await serve(path.resolve(site));
  let browser;
  try {
    try {
      browser = await puppeteer.launch({ executablePath: "/usr/bin/chromium", headless: true,
                                         args: ["--no-sandbox", "--disable-gpu"] });
    } catch (error) {
      throw new Error(`Chromium could not start, so the page was not tested: ${error.message}`);
    }
    const page = await browser.newPage();
    page.on("console", (m) => { if (m.type() === "error") fail(`console error: ${m.text()}`); });
    page.on("pageerror", (e) => fail(`page error: ${e.message}`));
    page.on("requestfailed", (r) => fail(`request failed: ${r.url()}`));
    await page.goto(`http://127.0.0.1:${server.address().port}/index.html`, { waitUntil: "load" });
    await page.evaluate(() => window.bevorel.loaded);

    // One click boots the demo; the test runs the frames itself (the page's
    // own pacing is off from before the boot, or it would run some first).
    await page.evaluate(() => window.bevorel.manual(true));
    await page.click("#boot");
    await page.waitForFunction(() => /running/.test(window.bevorel.status()));
    const last = run.golden[run.golden.length - 1].frame;
    for (let frame = 1; frame <= last; ++frame) {
      for (const e of run.events.filter((e) => e.frame === frame))
        await (e.held ? page.keyboard.down(keyCodes[e.key]) : page.keyboard.up(keyCodes[e.key]));
      const hash = await page.evaluate(() => window.bevorel.step(1));
      const g = run.golden.find((g) => g.frame === frame);
      if (g && hash !== g.hash) fail(`played frame ${frame}: hash ${hash}, the reviewed ${g.hash}`);
      else if (g) console.log(`played frame ${frame}: ${hash}, as reviewed`);
    }
    await page.screenshot({ path: path.join(work, "page.png") });
    await desktopRoundTrip(page);

    // A state saved in the browser's storage comes back exactly.
    await page.evaluate(() => window.bevorel.saveSlot(0));
    const saved = await page.evaluate(() => window.bevorel.hash());
    const later = await page.evaluate(() => window.bevorel.step(30));
    await page.evaluate(() => window.bevorel.loadSlot(0));
    const restored = await page.evaluate(() => window.bevorel.hash());
    const again = await page.evaluate(() => window.bevorel.step(30));
    if (restored !== saved || again !== later)
      fail(`state: saved at ${saved}, restored ${restored}; 30 frames on ${later}, again ${again}`);
    else console.log(`state: saved and loaded, then the same 30 frames (${again})`);

    // The demo's .zip through the file input boots its attract mode.
    const input = await page.$("#romfiles");
    await input.uploadFile(demoZip);
    await page.waitForFunction(() => /running|\.zip/.test(window.bevorel.status()));
    const status = await page.evaluate(() => window.bevorel.status());
    if (!/running/.test(status)) fail(`the zip did not boot: ${status}`);
    const attract = await page.evaluate(() => window.bevorel.step(60));
    if (attract !== run.attract60) fail(`the zip's frame 60: hash ${attract}, the reviewed ${run.attract60}`);
    else console.log(`zip: ${path.basename(demoZip)} booted, frame 60 as reviewed`);
  } finally {
    if (browser) await browser.close();
    server.close();
  }
}

main().then(() => {
  console.log(failures.length ? `${failures.length} failures` : "the page passed");
  process.exit(failures.length ? 1 : 0);
}, (error) => { console.log(`FAIL: ${error.message}`); process.exit(1); });
