// The browser build's speed for `make bench`: the demo's frames run unpaced
// in headless Chromium, each drawn on the page's canvas. Prints
// "web_fps N" (the median of five runs of 3000 frames).
// Usage: node bench.js SITE_DIR
"use strict";
const http = require("http");
const fs = require("fs");
const path = require("path");
const puppeteer = require("puppeteer-core");

const root = path.resolve(process.argv[2]);
const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm", ".css": "text/css" };
const server = http.createServer((request, response) => {
  const file = path.join(root, decodeURIComponent(new URL(request.url, "http://x").pathname));
  if (!file.startsWith(root) || !fs.existsSync(file) || !fs.statSync(file).isFile()) { response.writeHead(404); response.end(); return; }
  response.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream" });
  fs.createReadStream(file).pipe(response);
});

async function main() {
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  const browser = await puppeteer.launch({ executablePath: "/usr/bin/chromium", headless: true, args: ["--no-sandbox", "--disable-gpu"] });
  try {
    const page = await browser.newPage();
    await page.goto(`http://127.0.0.1:${server.address().port}/index.html`, { waitUntil: "load" });
    await page.evaluate(() => window.bevorel.loaded);
    await page.evaluate(() => window.bevorel.manual(true));
    if (!(await page.evaluate(() => window.bevorel.bootDemo()))) throw new Error("the demo did not boot");
    const runs = [];
    for (let i = 0; i < 5; ++i) runs.push(await page.evaluate(() => window.bevorel.bench(3000)));
    runs.sort((a, b) => a - b);
    console.log(`web_fps ${runs[2]}`);
  } finally {
    await browser.close();
    server.close();
  }
}
main().catch((error) => { console.error(`the browser benchmark failed: ${error.message}`); process.exit(1); });
