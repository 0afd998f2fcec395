#!/bin/sh
# The core draws, keeps the dial's rules and holds the shells' texts without a window toolkit, a
# platform or a font library: no file under core/ includes one of their headers. Only the shells
# (qt/, win32/) and the font engines (fontengines/) may. Usage: toolkit_free_test.sh SOURCE_DIR
set -u
core="$1/core"
[ -d "$core" ] || { echo "FAIL: no $core"; exit 1; }
# Qt (<QWidget>, <QtGui/...>, <qpa/...>), Win32 and COM, FreeType, fontconfig, the browser's.
forbidden='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](Q[A-Za-z]|Qt[A-Za-z]*/|qpa/|windows\.h|windowsx\.h|winuser\.h|wingdi\.h|ole[a-z0-9]*\.h|commctrl\.h|ft2build\.h|freetype/|fontconfig/|emscripten)'
found=$(grep -rnE --include='*.h' --include='*.cpp' "$forbidden" "$core")
if [ -n "$found" ]; then
  echo "FAIL: toolkit or platform headers in the core; move this code to a shell or a font engine:"
  echo "$found"
  exit 1
fi
echo "ok: $(find "$core" -name '*.h' -o -name '*.cpp' | wc -l) core files include no toolkit or platform header"
