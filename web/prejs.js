// Runs before the program: the page's own font is loaded from the bytes carried in the page, so
// text measures alike everywhere. The load starts at once, while the WebAssembly compiles, and
// the program starts only once it is ready.
var quorelFontReady = (function () {
  const text = atob(quorelFontBase64);
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
  return new FontFace("QuorelSans", bytes).load().then((face) => document.fonts.add(face));
})();
// The WebAssembly is decoded from the page's own text here rather than fetched from its data:
// URL, which goes through the browser's network process and took 10 to 25 ms before the compile
// could start. wasmBinaryFile, dataURIPrefix, tryParseAsDataURI and abort are emscripten's.
Module["instantiateWasm"] = function (imports, receive) {
  const bytes = Uint8Array.fromBase64
    ? Uint8Array.fromBase64(wasmBinaryFile.slice(dataURIPrefix.length))
    : tryParseAsDataURI(wasmBinaryFile);
  WebAssembly.instantiate(bytes, imports).then((r) => receive(r.instance, r.module), abort);
  return {};
};
Module["preRun"] = [function () {
  addRunDependency("font");
  // Without it the dial still comes up, its text in the browser's fallback face.
  quorelFontReady.catch((e) => console.error("quorel: the font did not load: " + e))
    .then(() => removeRunDependency("font"));
}];
// The first frame as soon as the program has made its form.
Module["postRun"] = [function () {
  quorelShell.paint();
}];
