// Runs before the program: the page's own font is loaded from the bytes carried in the page,
// so text measures alike everywhere, and the program starts only once it is ready.
Module["preRun"] = [function () {
  addRunDependency("font");
  const bytes = Uint8Array.from(atob(quorelFontBase64), (c) => c.charCodeAt(0));
  new FontFace("QuorelSans", bytes).load().then((face) => {
    document.fonts.add(face);
    removeRunDependency("font");
  });
}];
// The first frame as soon as the program has made its form.
Module["postRun"] = [function () {
  quorelShell.paint();
}];
