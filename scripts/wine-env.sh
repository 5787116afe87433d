# Wine environment shared by scripts/run, test, bench and screens. Source it,
# then call the functions; every process started here is stopped by
# wine_cleanup (install it with `trap wine_cleanup EXIT`).
#   VANTREL_BUILD_DIR  build folder (default: <repo>/build)

VANTREL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VANTREL_BUILD_DIR="${VANTREL_BUILD_DIR:-$VANTREL_ROOT/build}"
# Bump when the template's contents change: the next run rebuilds it.
VANTREL_TEMPLATE_VERSION=3

_wine_xvfb_pid=""
_wine_prefixes_started=()

wine_log() { echo "[wine-env] $*" >&2; }

# Japanese locale (code page 932, locale 0x411 inside Wine) without touching
# the system: the locale is compiled into the build folder.
wine_setup_env() {
  local locdir="$VANTREL_BUILD_DIR/locale"
  if [ ! -f "$locdir/ja_JP.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$locdir"
    # localedef warns about the locale's own definitions but still writes it.
    localedef -i ja_JP -f UTF-8 "$locdir/ja_JP.UTF-8" >/dev/null 2>&1 || true
    if [ ! -f "$locdir/ja_JP.UTF-8/LC_CTYPE" ]; then
      wine_log "could not generate the ja_JP.UTF-8 locale in $locdir"
      return 1
    fi
  fi
  export LOCPATH="$locdir"
  export LANG=ja_JP.UTF-8
  unset LC_ALL LANGUAGE
  wine_pick_build
  # Without these overrides wineboot offers Mono and Gecko installs, which
  # block a headless, offline machine.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEDEBUG=-all
}

# Which build the Wine runs take (VANTREL_WIN_DIR) and the prefix kind for it.
# The program as users get it is 32-bit, and runs so wherever the kernel runs
# 32-bit code. A kernel with its 32-bit emulation switched off cannot run
# Wine's 32-bit side at all ("Exec format error"): there the runs take the
# x86-64 build of the same sources in a 64-bit prefix, and Debian's wine
# wrapper, which picks the 32-bit loader whenever it is installed, is passed
# over for the 64-bit one.
wine_can_run_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
wine_pick_build() {
  if wine_can_run_32bit; then
    export WINEARCH=win32 VANTREL_WIN_DIR="$VANTREL_BUILD_DIR/win"
    return 0
  fi
  export WINEARCH=win64 VANTREL_WIN_DIR="$VANTREL_BUILD_DIR/win64"
  local bin="$VANTREL_BUILD_DIR/wine64-bin"
  mkdir -p "$bin"
  printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$bin/wine"
  chmod +x "$bin/wine"
  ln -sf wine "$bin/wine-stable"
  case ":$PATH:" in *":$bin:"*) ;; *) export PATH="$bin:$PATH" ;; esac
}

# Starts a warm, persistent wineserver for prefix $1. The first wine call's
# services inherit its standard handles and never exit, so they point at files.
wine_start_server() {
  local prefix="$1"
  export WINEPREFIX="$prefix"
  wineserver -p
  _wine_prefixes_started+=("$prefix")
  wine cmd /c exit </dev/null >"$VANTREL_BUILD_DIR/wineserver-warmup.out" 2>&1 || true
}

wine_stop_server() {
  local prefix="$1"
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX="$prefix" timeout 30 wineserver -w >/dev/null 2>&1 || true
}

# Starts Xvfb on a free display (-displayfd picks the number) and exports DISPLAY.
wine_start_xvfb() {
  local fdfile
  fdfile="$(mktemp "$VANTREL_BUILD_DIR/xvfb-display.XXXXXX")"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" \
    </dev/null >"$VANTREL_BUILD_DIR/xvfb.log" 2>&1 &
  _wine_xvfb_pid=$!
  local i
  for i in $(seq 1 100); do
    if [ -s "$fdfile" ] && grep -q '^[0-9]' "$fdfile"; then break; fi
    if ! kill -0 "$_wine_xvfb_pid" 2>/dev/null; then
      wine_log "Xvfb exited at once; its log:"; cat "$VANTREL_BUILD_DIR/xvfb.log" >&2
      rm -f "$fdfile"; _wine_xvfb_pid=""; return 1
    fi
    sleep 0.1
  done
  if ! grep -q '^[0-9]' "$fdfile"; then
    wine_log "Xvfb reported no display within 10 s"; rm -f "$fdfile"; return 1
  fi
  export DISPLAY=":$(head -n1 "$fdfile" | tr -dc '0-9')"
  rm -f "$fdfile"
  wine_log "Xvfb on $DISPLAY (pid $_wine_xvfb_pid)"
}

wine_cleanup() {
  local p
  for p in "${_wine_prefixes_started[@]}"; do wine_stop_server "$p"; done
  _wine_prefixes_started=()
  if [ -n "$_wine_xvfb_pid" ]; then
    kill "$_wine_xvfb_pid" 2>/dev/null || true
    wait "$_wine_xvfb_pid" 2>/dev/null || true
    _wine_xvfb_pid=""
  fi
}

# `wine reg add` for a value only when `wine reg query` does not find it.
# Args: key value-name type data
wine_reg_add_absent() {
  local key="$1" name="$2" type="$3" data="$4"
  if wine reg query "$key" /v "$name" </dev/null >/dev/null 2>&1; then return 0; fi
  wine reg add "$key" /v "$name" /t "$type" /d "$data" /f </dev/null >/dev/null 2>&1
}

# The values a Windows system with Internet Explorer has, each only when absent.
wine_seed_browser_registry() {
  local ie='Software\Microsoft\Internet Explorer'
  wine_reg_add_absent "HKLM\\$ie\\AdvancedOptions\\MULTIMEDIA\\PICTS" RegPath REG_SZ "$ie\\Main"
  wine_reg_add_absent "HKLM\\$ie\\AdvancedOptions\\MULTIMEDIA\\PICTS" CheckedValue REG_SZ yes
  wine_reg_add_absent "HKLM\\$ie\\AdvancedOptions\\MULTIMEDIA\\PICTS" UncheckedValue REG_SZ no
  wine_reg_add_absent "HKCU\\$ie\\Main" "Display Inline Images" REG_SZ yes
  local z3='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Zones\3'
  wine_reg_add_absent "$z3" 1400 REG_DWORD 0
  wine_reg_add_absent "$z3" CurrentLevel REG_DWORD 70912   # 0x11500
  wine_reg_add_absent "$z3" 1C00 REG_BINARY 00000000
}

# A Japanese Windows has proportional "MS UI Gothic" / "ＭＳ Ｐゴシック" and the
# fixed-pitch "ＭＳ ゴシック"; point each at the IPA face of the same kind, or
# the font mapper takes the fixed-pitch face for all and captions grow wider.
wine_map_japanese_fonts() {
  local key='HKCU\Software\Wine\Fonts\Replacements'
  wine reg add "$key" /v "MS UI Gothic" /t REG_SZ /d IPAPGothic /f </dev/null >/dev/null 2>&1
  wine reg add "$key" /v "MS PGothic" /t REG_SZ /d IPAPGothic /f </dev/null >/dev/null 2>&1
  wine reg add "$key" /v "ＭＳ Ｐゴシック" /t REG_SZ /d IPAPGothic /f </dev/null >/dev/null 2>&1
  wine reg add "$key" /v "MS Gothic" /t REG_SZ /d IPAGothic /f </dev/null >/dev/null 2>&1
  wine reg add "$key" /v "ＭＳ ゴシック" /t REG_SZ /d IPAGothic /f </dev/null >/dev/null 2>&1
  # The buttons' serif face: without it Wine falls back to a fixed-pitch one.
  wine reg add "$key" /v "Times New Roman" /t REG_SZ /d "DejaVu Serif" /f </dev/null >/dev/null 2>&1
}

_wine_template_stamp() {
  echo "template=$VANTREL_TEMPLATE_VERSION wine=$(wine --version 2>/dev/null) lang=$LANG arch=$WINEARCH"
}

# build/wine-template: booted once, rebuilt only when missing or stale. Two
# runs in one build folder take turns: the second waits for the first's boot.
wine_ensure_template() {
  mkdir -p "$VANTREL_BUILD_DIR"
  (
    flock 9
    _wine_make_template
  ) 9>"$VANTREL_BUILD_DIR/wine-template.lock"
}

_wine_make_template() {
  local tpl="$VANTREL_BUILD_DIR/wine-template"
  local stamp="$tpl/.vantrel-template"
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$(_wine_template_stamp)" ]; then
    return 0
  fi
  local t0=$SECONDS
  wine_log "creating the Wine template prefix $tpl"
  rm -rf "$tpl" "$tpl.tmp"
  mkdir -p "$tpl.tmp"
  (
    # Booted without a display: wineboot needs none, and the template must
    # not remember one.
    unset DISPLAY
    export WINEPREFIX="$tpl.tmp"
    wineboot -i </dev/null >"$VANTREL_BUILD_DIR/wineboot.log" 2>&1
    wineserver -w
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    wine_seed_browser_registry
    wine_map_japanese_fonts
    # Flushes the registry to disk before the copy is taken.
    wineserver -k; wineserver -w
  )
  local fonts="$tpl.tmp/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/marlett.ttf /usr/share/wine/fonts/tahoma*.ttf "$fonts/"
  _wine_template_stamp >"$tpl.tmp/.vantrel-template"
  mv "$tpl.tmp" "$tpl"
  wine_log "template ready in $((SECONDS - t0)) s"
}

# A fresh copy of the template at $1.
wine_fresh_prefix() {
  local dst="$1"
  rm -rf "$dst"
  cp -a "$VANTREL_BUILD_DIR/wine-template" "$dst"
}

# A fresh copy of the template at $1 whose screen has $2 dots per inch, with
# its wineserver running. The server is restarted after the setting so that
# no process of the prefix still holds the old DPI.
wine_dpi_prefix() {
  local prefix="$1" dpi="$2"
  wine_fresh_prefix "$prefix"
  wine_start_server "$prefix"
  if [ "$dpi" != 96 ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null >/dev/null 2>&1
    wine_stop_server "$prefix"
    wine_start_server "$prefix"
  fi
}

# Prints the path of ImageMagick's convert, or fails: a stand-in of the same
# name earlier on the PATH is passed over.
wine_imagemagick() {
  local c
  for c in magick convert-im6.q16 convert; do
    if command -v "$c" >/dev/null 2>&1 && "$c" -version 2>/dev/null | grep -q ImageMagick; then
      command -v "$c"; return 0
    fi
  done
  return 1
}
