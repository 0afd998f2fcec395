// Drives build-web/quorel.html in Debian's Chromium, headless, from file://: the dial against the
// golden pictures, keys, presses, the menu, About, Exit, the report of a failed paint, the readers'
// tree, device pixel ratio 2, and that the page asks for nothing over the network.
// Usage: node web_test.mjs PAGE GOLDEN_DIR
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { join, resolve } from "node:path";
import { pathToFileURL } from "node:url";
import { launchChromium } from "./chromium.mjs";

const [pagePath, goldenDir] = process.argv.slice(2);
const url = pathToFileURL(resolve(pagePath)).href;
const chromium = await launchChromium();
const { browser } = chromium;

const requests = [];
async function open(scale = 1, language = "") {
  const page = await browser.newPage();
  if (language) {
    await page.evaluateOnNewDocument((tag) =>
      Object.defineProperty(navigator, "language", { get: () => tag }), language);
  }
  await page.setViewport({ width: 400, height: 400, deviceScaleFactor: scale });
  page.on("request", (r) => requests.push(r.url()));
  page.on("pageerror", (e) => { throw e; });
  await page.goto(url);
  await page.waitForFunction("quorelShell.frames > 0");
  return page;
}

// After an event, the repaint it asked for.
const settled = (page) => page.evaluate(() => new Promise((r) => requestAnimationFrame(() =>
  requestAnimationFrame(r))));

async function values(page) {
  const tree = await page.accessibility.snapshot({ interestingOnly: false });
  const out = {};
  (function walk(node) {
    if (node.role === "slider") out[node.name] = node.value;
    (node.children || []).forEach(walk);
  })(tree);
  return out;
}

async function expectValues(page, course, wind, speed) {
  await settled(page);
  assert.deepEqual(await values(page),
    { "Course": course, "Wind direction": wind, "Wind speed": speed });
}

async function key(page, name, times = 1) {
  for (let i = 0; i < times; ++i) await page.keyboard.press(name);
}

async function click(page, x, y, options = {}) {
  const box = await (await page.$("#dial")).boundingBox();
  await page.mouse.click(box.x + x, box.y + y, options);
}

// The canvas's pixels and a golden picture's, as RGB triples.
async function pixels(page, png) {
  return page.evaluate(async (png) => {
    const rgb = (data) => Array.from(data).filter((_, i) => i % 4 !== 3);
    const canvas = document.getElementById("dial");
    const got = rgb(canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data);
    if (!png) return { got };
    const bytes = Uint8Array.from(atob(png), (c) => c.charCodeAt(0));
    const image = await createImageBitmap(new Blob([bytes], { type: "image/png" }));
    const g = new OffscreenCanvas(image.width, image.height).getContext("2d");
    g.drawImage(image, 0, 0);
    return { got, want: rgb(g.getImageData(0, 0, image.width, image.height).data) };
  }, png);
}

// The text cells of the dial's golden test: the compass labels, the readout and the buttons'
// letters, each widened by its slack; inside them only the amount of ink is compared.
async function textCells(page, course, wind, speed) {
  const width = (text) => page.evaluate((text) => {
    const g = new OffscreenCanvas(1, 1).getContext("2d");
    g.font = "18px QuorelSans";
    return [...text].reduce((w, c) => w + Math.round(g.measureText(c).width), 0);
  }, text);
  const cells = [];
  const labels = { 0: "N", 3: "3", 6: "6", 9: "E", 12: "12", 15: "15", 18: "S", 21: "21",
    24: "24", 27: "W", 30: "30", 33: "33" };
  for (const [k, label] of Object.entries(labels)) {
    const r = (10 * k - course) * Math.PI / 180;
    cells.push({ x: 150 + 118 * Math.sin(r), y: 150 - 118 * Math.cos(r), ux: Math.cos(r),
      uy: Math.sin(r), hw: (await width(label)) / 2, hh: 10, slack: 2 });
  }
  const readout = `${String(wind).padStart(3, "0")}  ${String(speed).padStart(2, "0")}`;
  const hw = (await width(readout)) / 2;
  cells.push({ x: 124 + hw, y: 224, ux: 1, uy: 0, hw, hh: 10, slack: 2 });
  for (const [x, y] of [[255, 10], [10, 270], [255, 270]]) {
    cells.push({ x: x + 7.5, y: y + 7.5, ux: 1, uy: 0, hw: 6.5, hh: 6.5, slack: 0 });
  }
  return cells;
}

function cellOf(cells, px, py) {
  return cells.findIndex((c) => {
    const dx = px + 0.5 - c.x, dy = py + 0.5 - c.y;
    return Math.abs(dx * c.ux + dy * c.uy) <= c.hw + c.slack &&
      Math.abs(dy * c.ux - dx * c.uy) <= c.hh + c.slack;
  });
}

async function expectGolden(page, course, wind, speed) {
  await settled(page);
  const name = `dial_${String(course).padStart(3, "0")}_${String(wind).padStart(3, "0")}_` +
    `${String(speed).padStart(2, "0")}`;
  const png = readFileSync(join(goldenDir, name + ".png")).toString("base64");
  const { got, want } = await pixels(page, png);
  assert.equal(got.length, want.length, name);
  const cells = await textCells(page, course, wind, speed);
  const inkGot = cells.map(() => 0), inkWant = cells.map(() => 0);
  let outside = 0;
  for (let i = 0; i < got.length / 3; ++i) {
    const c = cellOf(cells, i % 300, Math.floor(i / 300));
    const p = got.slice(3 * i, 3 * i + 3), q = want.slice(3 * i, 3 * i + 3);
    if (c < 0) {
      if (p.some((v, j) => v !== q[j])) outside++;
    } else {
      inkGot[c] += (p[0] + p[1] + p[2]) / 765;
      inkWant[c] += (q[0] + q[1] + q[2]) / 765;
    }
  }
  assert.equal(outside, 0, `${name}: pixels differ outside the text cells`);
  cells.forEach((_, c) => assert.ok(Math.abs(inkGot[c] - inkWant[c]) <= 0.15 * inkWant[c] + 1,
    `${name}: text cell ${c} holds ${inkGot[c]} pixels of ink, the golden ${inkWant[c]}`));
}

const tests = {
  // Each state reached as a user reaches it, by keys and step buttons.
  async golden() {
    const page = await open();
    await expectGolden(page, 360, 360, 0);
    await click(page, 100, 100);
    await key(page, "PageDown", 9);
    await key(page, "End", 3);
    for (let i = 0; i < 25; ++i) await click(page, 280, 275);
    await expectGolden(page, 90, 30, 25);
    await key(page, "PageUp", 9);
    await key(page, "End", 15);
    for (let i = 0; i < 20; ++i) await click(page, 280, 275);
    await expectGolden(page, 360, 180, 40);
    await key(page, "PageDown");
    await key(page, "Home", 19);
    for (let i = 0; i < 39; ++i) await click(page, 260, 275);
    await expectGolden(page, 10, 350, 1);
    await page.close();
  },

  async keysAndPresses() {
    const page = await open();
    await key(page, "PageDown");
    await expectValues(page, 360, 360, 0);  // the page does not give the dial the keys
    await key(page, "Tab");
    await key(page, "PageDown");
    await key(page, "Home");
    await expectValues(page, 10, 350, 0);
    await key(page, "PageUp", 2);
    await key(page, "End");
    await expectValues(page, 350, 360, 0);
    await click(page, 270, 25);  // the course-down button's far corner
    await click(page, 271, 25);  // just past it: nothing
    await click(page, 150, 150);
    await expectValues(page, 340, 360, 0);
    await click(page, 10, 270);
    await click(page, 45, 285, { button: "middle" });
    await expectValues(page, 340, 360, 0);
    await click(page, 260, 275);  // the speed stops at 0
    await click(page, 280, 275, { count: 2 });  // a double click steps twice
    await expectValues(page, 340, 360, 2);
    await click(page, 290, 10, { button: "right" });  // any button steps
    await key(page, "Escape");
    await expectValues(page, 350, 360, 2);
    await page.close();
  },

  async menuAboutExit() {
    const page = await open();
    const menuShown = () => page.$eval("#menu", (m) => !m.hidden);
    await click(page, 150, 150, { button: "right" });
    assert.equal(await menuShown(), true);
    assert.deepEqual(await page.$$eval("#menu [role=menuitem]", (items) =>
      items.map((i) => [i.dataset.tag, i.textContent])),
      [["1", "Quorelについて(A)..."], ["2", "終了(X)"]]);
    await key(page, "Escape");
    assert.equal(await menuShown(), false);
    await page.keyboard.down("Shift");
    await key(page, "F10");
    await page.keyboard.up("Shift");
    assert.equal(await page.evaluate(() => document.activeElement.dataset.tag), "1");
    await key(page, "Enter");
    assert.deepEqual(await page.$eval("#message", (box) => [box.open, box.role,
      box.querySelector("h2").textContent, box.querySelector("p").textContent]),
      [true, "dialog", "quorel",
        "Quorel Version 0.3\nA wind dial for course, wind direction and speed."]);
    await key(page, "Enter");
    await expectValues(page, 360, 360, 0);
    assert.equal(await page.evaluate(() => document.activeElement.id), "dial");
    await click(page, 150, 150, { button: "right" });
    await key(page, "x");
    assert.equal(await page.$("#dial"), null);
    assert.equal(await page.$eval("#ended", (p) => p.hidden), false);
    await page.close();
  },

  // Memory runs out in a paint: the standard report, for readers too, and the page goes on.
  async exceptionReport() {
    const page = await open();
    await page.evaluate(() => {
      const hogs = [];
      wasmMemory.grow = () => { throw new RangeError("no more memory"); };
      // Less than the megabyte left that a frame at ratio 2 needs, room for the exception.
      for (let p; (p = _malloc(1 << 20)); ) hogs.push(p);
      Module._QuorelPaint(2);
      hogs.forEach(_free);
      delete wasmMemory.grow;
    });
    const box = (await page.accessibility.snapshot()).children.find((n) => n.role === "alertdialog");
    assert.equal(box?.name, "quorel");
    assert.equal(await page.$eval("#message-text", (p) => p.textContent), "std::bad_alloc.");
    await key(page, "Enter");
    assert.equal(await page.$eval("#message", (d) => d.open), false);
    const frames = await page.evaluate(() => quorelShell.frames);
    await key(page, "PageDown");
    await expectValues(page, 10, 360, 0);
    assert.ok(await page.evaluate(() => quorelShell.frames) > frames, "no frame after the report");
    await page.close();
  },

  // Chromium's accessibility domain leaves valuetext empty whatever the page says (Chromium 156),
  // so the value texts are read from the attributes that screen readers are given.
  async readersTree() {
    const page = await open();
    const tree = await page.accessibility.snapshot({ interestingOnly: false });
    const found = [];
    (function walk(node) {
      if (["slider", "button", "group"].includes(node.role)) {
        found.push([node.role, node.name, node.value, node.valuemin, node.valuemax]);
      }
      (node.children || []).forEach(walk);
    })(tree);
    const u = undefined;
    assert.deepEqual(found, [
      ["group", "Wind dial", u, u, u],
      ["slider", "Course", 360, 10, 360],
      ["slider", "Wind direction", 360, 10, 360],
      ["slider", "Wind speed", 0, 0, 40],
      ["button", "Lower course", u, u, u],
      ["button", "Raise course", u, u, u],
      ["button", "Lower wind direction", u, u, u],
      ["button", "Raise wind direction", u, u, u],
      ["button", "Lower wind speed", u, u, u],
      ["button", "Raise wind speed", u, u, u],
    ]);
    await page.$eval("#dial-child-8", (b) => b.click());  // a reader presses Raise wind speed
    await key(page, "Home");
    await expectValues(page, 360, 350, 1);
    assert.deepEqual(await page.$$eval("[role=slider]", (all) =>
      all.map((s) => s.getAttribute("aria-valuetext"))), ["360 degrees", "350 degrees", "1"]);
    assert.equal(await page.$eval("#dial", (d) => d.getAttribute("aria-activedescendant")),
      "dial-child-1");
    await page.close();
  },

  // The readers' words follow the browser's language.
  async japanese() {
    const page = await open(1, "ja-JP");
    assert.deepEqual(await page.$$eval("#dial, [role=slider]", (all) =>
      all.map((e) => [e.getAttribute("aria-label"), e.getAttribute("aria-valuetext")])),
    [["風ダイヤル", null], ["針路", "360度"], ["風向", "360度"], ["風速", "0"]]);
    await page.close();
  },

  async ratioTwo() {
    const one = await open(1), two = await open(2);
    const a = (await pixels(one)).got, b = (await pixels(two)).got;
    assert.equal(b.length, 4 * a.length);
    for (let i = 0; i < b.length / 3; ++i) {
      const x = i % 600, y = Math.floor(i / 600), j = Math.floor(y / 2) * 300 + Math.floor(x / 2);
      if (b[3 * i] !== a[3 * j] || b[3 * i + 1] !== a[3 * j + 1] || b[3 * i + 2] !== a[3 * j + 2]) {
        assert.fail(`device pixel ${x},${y} is not dial pixel ${x >> 1},${y >> 1}`);
      }
    }
    await one.close();
    await two.close();
  },
};

let failed = 0;
try {
  for (const [name, test] of Object.entries(tests)) {
    try {
      await test();
      console.log(`ok   ${name}`);
    } catch (e) {
      failed++;
      console.log(`FAIL ${name}: ${e.message}`);
    }
  }
  // The WebAssembly and the font are decoded from the page's own text: it asks for nothing else.
  const foreign = requests.filter((r) => r !== url);
  if (foreign.length) {
    failed++;
    console.log(`FAIL network: the page asked for ${foreign.join(", ")}`);
  } else {
    console.log(`ok   network (${requests.length} requests, each the page itself)`);
  }
} finally {
  await chromium.close();
}
process.exit(failed ? 1 : 0);
