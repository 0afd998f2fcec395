// A warm frame of the page in headless Chromium (the core's whole repaint and its putImageData)
// against the native frame of bench/win_bench.cpp on the same machine, at its dial (course 30, wind
// 120 at 25): ten rounds, each a run of the native program (five blocks of 50 frames) and then two
// blocks of 50 frames in the page, so that both meet the same load; the medians of the native runs
// and of the page's 20 blocks are compared. Also the time from the page's opening to its first
// frame, the median of 5 openings.
// Usage: node web_bench.mjs PAGE NATIVE_BENCH
import { execFileSync } from "node:child_process";
import { statSync } from "node:fs";
import { resolve } from "node:path";
import { pathToFileURL } from "node:url";
import { launchChromium } from "./chromium.mjs";

const [pagePath, nativeBench] = process.argv.slice(2);
const chromium = await launchChromium();
const { browser } = chromium;
const median = (v) => v.sort((a, b) => a - b)[Math.floor(v.length / 2)];
try {
  const firsts = [];
  let page;
  for (let i = 0; i < 5; ++i) {
    if (page) await page.close();
    page = await browser.newPage();
    await page.goto(pathToFileURL(resolve(pagePath)).href);
    await page.waitForFunction("quorelShell.frames > 0");
    firsts.push(await page.evaluate(() => quorelShell.firstFrameAt));
  }
  await page.keyboard.press("Tab");
  for (let i = 0; i < 3; ++i) await page.keyboard.press("PageDown");
  for (let i = 0; i < 12; ++i) await page.keyboard.press("End");
  const box = await (await page.$("#dial")).boundingBox();
  for (let i = 0; i < 25; ++i) await page.mouse.click(box.x + 280, box.y + 275);
  const natives = [], blocks = [];
  for (let round = 0; round < 10; ++round) {
    const report = execFileSync(nativeBench, ["5"], { encoding: "utf8" });
    natives.push(Number(/frame\s+([\d.]+)/.exec(report)[1]));
    blocks.push(...await page.evaluate(() => {
      const out = [];
      for (let b = 0; b < 2; ++b) {
        const start = performance.now();
        for (let i = 0; i < 50; ++i) Module._QuorelPaint(1);
        out.push((performance.now() - start) * 1000 / 50);
      }
      return out;
    }));
  }
  const webUs = median(blocks), nativeUs = median(natives);
  console.log(`page frame   ${webUs.toFixed(1)} us  core repaint and putImageData, headless Chromium`);
  console.log(`native frame ${nativeUs.toFixed(1)} us  whole repaint and copy`);
  // The fastest page block against the fastest native run: what other work on the machine
  // leaves least changed.
  console.log(`ratio        ${(webUs / nativeUs).toFixed(2)} x  (fastest block ` +
    `${(Math.min(...blocks) / Math.min(...natives)).toFixed(2)} x)`);
  console.log(`first frame  ${median(firsts).toFixed(0)} ms from the page's opening (file://)`);
  console.log(`page size    ${(statSync(pagePath).size / 1024).toFixed(0)} KiB`);
} finally {
  await chromium.close();
}
