// A warm frame of the page in headless Chromium (the core's whole repaint and its putImageData)
// against the native frame measured just before on the same machine: the median over blocks of
// 50 frames, 1,000 frames in all, at the dial of bench/win_bench.cpp (course 30, wind 120 at 25).
// Also the time from the page's opening to its first frame, the median of 5 openings.
// Usage: node web_bench.mjs PAGE NATIVE_FRAME_US
import { statSync } from "node:fs";
import { resolve } from "node:path";
import { pathToFileURL } from "node:url";
import { launchChromium } from "./chromium.mjs";

const [pagePath, nativeUs] = process.argv.slice(2);
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
  const blocks = await page.evaluate(() => {
    const out = [];
    for (let b = 0; b < 20; ++b) {
      const start = performance.now();
      for (let i = 0; i < 50; ++i) Module._QuorelPaint(1);
      out.push((performance.now() - start) * 1000 / 50);
    }
    return out;
  });
  const webUs = median(blocks);
  console.log(`page frame   ${webUs.toFixed(1)} us  core repaint and putImageData, headless Chromium`);
  console.log(`native frame ${Number(nativeUs).toFixed(1)} us  whole repaint and copy`);
  console.log(`ratio        ${(webUs / nativeUs).toFixed(2)} x`);
  console.log(`first frame  ${median(firsts).toFixed(0)} ms from the page's opening (file://)`);
  console.log(`page size    ${(statSync(pagePath).size / 1024).toFixed(0)} KiB`);
} finally {
  await chromium.close();
}
