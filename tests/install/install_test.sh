#!/usr/bin/env bash
# install_test.sh files|validate BUILD_DIR
#   files:    `cmake --install` into a DESTDIR lays down exactly the expected
#             files, and they fit together (names, icon sizes, manual pages).
#   mime:     xdg-mime in a scratch XDG tree: a folder opens with the file
#             manager, not with Pelmora (skipped without xdg-utils).
#   validate: desktop-file-validate and appstreamcli accept the installed
#             entry and metainfo (skipped, 77, when they are not installed).
set -euo pipefail
check=$1
build=$2
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$dest cmake --install "$build" --prefix /usr >/dev/null
share=$dest/usr/share
id=org.pelmora.Pelmora

case $check in
files)
  expected=(
    usr/bin/pelmora
    usr/bin/pelmora-titles
    usr/share/applications/$id.desktop
    usr/share/doc/pelmora/changelog.Debian.gz
    usr/share/doc/pelmora/copyright
    usr/share/file-manager/actions/$id.folder.desktop
    usr/share/kio/servicemenus/$id.folder.desktop
    usr/share/nemo/actions/$id.folder.nemo_action
  )
  for size in 128 16 22 24 256 32 48 64; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/pelmora.png")
  done
  expected+=(
    usr/share/icons/hicolor/scalable/apps/pelmora.svg
    usr/share/man/man1/pelmora-titles.1.gz
    usr/share/man/man1/pelmora.1.gz
    usr/share/metainfo/$id.metainfo.xml
  )
  actual=$(cd "$dest" && find . -mindepth 1 ! -type d | sed 's|^\./||' | LC_ALL=C sort)
  want=$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)
  if [[ "$actual" != "$want" ]]; then
    diff <(echo "$want") <(echo "$actual") >&2 || true
    fail "installed files differ from the expected list (< expected, > installed)"
  fi

  for exe in pelmora pelmora-titles; do
    [[ -x $dest/usr/bin/$exe ]] || fail "$exe is not executable"
  done
  "$dest/usr/bin/pelmora-titles" --help | grep -q -- '--maxword' || fail "pelmora-titles --help"
  # As programs do: print and exit, with no display needed.
  env -u DISPLAY -u WAYLAND_DISPLAY "$dest/usr/bin/pelmora" --help | grep -q '^Usage: pelmora' ||
    fail "pelmora --help"
  [[ $(env -u DISPLAY "$dest/usr/bin/pelmora" --version) == "pelmora 2.0" ]] || fail "pelmora --version"

  # Each PNG is as large as the folder it lies in says (width and height
  # from the IHDR chunk).
  for png in "$share"/icons/hicolor/*x*/apps/pelmora.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    read -r w0 w1 w2 w3 h0 h1 h2 h3 < <(od -An -tu1 -j16 -N8 "$png")
    w=$(( (w0 << 24) | (w1 << 16) | (w2 << 8) | w3 ))
    h=$(( (h0 << 24) | (h1 << 16) | (h2 << 8) | h3 ))
    [[ "${w}x${h}" == "$size" ]] || fail "$png is ${w}x${h}"
  done
  grep -q '<svg' "$share/icons/hicolor/scalable/apps/pelmora.svg" || fail "the SVG icon is no SVG"

  # The entry starts the installed program on the files given, with the
  # installed icon; the metainfo points at the entry.
  desktop=$share/applications/$id.desktop
  grep -qx 'Exec=pelmora %F' "$desktop" || fail "Exec line"
  grep -qx 'Icon=pelmora' "$desktop" || fail "Icon line"
  grep -qx 'Name=Pelmora' "$desktop" || fail "Name line"
  grep -q '^GenericName\[zh_CN\]=.' "$desktop" || fail "Chinese GenericName"
  grep -q '^Comment\[zh_CN\]=.' "$desktop" || fail "Chinese Comment"
  grep -q '^Categories=.*Office;' "$desktop" && grep -q '^Categories=.*Utility;' "$desktop" || fail "Categories"
  for mime in application/msword application/vnd.openxmlformats-officedocument.wordprocessingml.document \
    application/vnd.ms-word.document.macroEnabled.12 application/rtf; do
    grep -q "^MimeType=.*$mime;" "$desktop" || fail "MimeType lacks $mime"
  done
  # Folders are the file manager's: "Open with Pelmora" comes from the file
  # managers' action menus instead.
  grep -q '^MimeType=.*inode/directory' "$desktop" && fail "the entry claims folders"
  for action in "$share/file-manager/actions/$id.folder.desktop" \
    "$share/kio/servicemenus/$id.folder.desktop"; do
    grep -q '^MimeTypes\?=inode/directory;' "$action" || fail "$action: not for folders"
    grep -qx 'Exec=pelmora %F' "$action" || fail "$action: Exec line"
  done
  nemo=$share/nemo/actions/$id.folder.nemo_action
  grep -qx 'Extensions=dir;' "$nemo" && grep -qx 'Exec=pelmora %F' "$nemo" || fail "$nemo"
  grep -q '自动识别' "$desktop" || fail "the entry's comment lacks 自动识别"
  meta=$share/metainfo/$id.metainfo.xml
  grep -q "<id>$id</id>" "$meta" || fail "metainfo id"
  grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$meta" || fail "metainfo launchable"
  grep -q '<caption>' "$meta" || fail "metainfo screenshot caption"
  (($(grep -c '<screenshot' "$meta") >= 4)) || fail "metainfo lacks the screenshots"
  grep -q '自动识别' "$meta" || fail "metainfo lacks 自动识别"

  # Manual pages: compressed, and the options of pelmora-titles all there.
  for page in pelmora pelmora-titles; do
    gzip -t "$share/man/man1/$page.1.gz" || fail "$page.1.gz"
    zcat "$share/man/man1/$page.1.gz" | grep -q "^\.TH" || fail "$page.1 has no title line"
  done
  titles=$(zcat "$share/man/man1/pelmora-titles.1.gz")
  for opt in mode maxword paragraph start count raw help; do
    grep -q -- "\\\\-\\\\-$opt" <<<"$titles" || fail "pelmora-titles.1 lacks --$opt"
  done
  grep -q '^\.B 4$' <<<"$titles" || fail "pelmora-titles.1 lacks --mode 4"
  page=$(zcat "$share/man/man1/pelmora.1.gz")
  grep -q 'XDG_CONFIG_HOME' <<<"$page" || fail "pelmora.1 lacks the settings folder"
  grep -q '自动识别' <<<"$page" || fail "pelmora.1 lacks 自动识别"
  for opt in help version; do
    grep -q -- "\\\\-\\\\-$opt" <<<"$page" || fail "pelmora.1 lacks --$opt"
  done
  ;;
mime)
  # A scratch desktop holding our entry and a file manager's whose name
  # sorts after ours, with the cache a package's installation writes: the
  # folder stays the file manager's.
  command -v xdg-mime >/dev/null && command -v update-desktop-database >/dev/null ||
    { echo "xdg-utils or desktop-file-utils not installed (scripts/deps.sh)"; exit 77; }
  xdg=$dest/xdg
  mkdir -p "$xdg/data/applications" "$xdg/config" "$xdg/home"
  ln -s /usr/share/mime "$xdg/data/mime"
  cp "$share/applications/$id.desktop" "$xdg/data/applications/"
  printf '[Desktop Entry]\nType=Application\nName=Files\nExec=pcmanfm %%U\nMimeType=inode/directory;\n' \
    >"$xdg/data/applications/pcmanfm.desktop"
  update-desktop-database "$xdg/data/applications"
  ask() {
    env -i PATH="$PATH" HOME="$xdg/home" XDG_DATA_HOME="$xdg/home/data" XDG_DATA_DIRS="$xdg/data" \
      XDG_CONFIG_HOME="$xdg/config" XDG_CONFIG_DIRS="$xdg/etc" xdg-mime query default "$1"
  }
  got=$(ask inode/directory)
  [[ $got == pcmanfm.desktop ]] || fail "the default for folders is '$got'"
  # Word files with no word processor: ours, which the program then never
  # opens a row with (tests/core/defaultprogram_test.cpp).
  got=$(ask application/msword)
  [[ $got == $id.desktop ]] || fail "the default for Word files is '$got'"
  ;;
validate)
  have=0
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$share/applications/$id.desktop" || fail "desktop-file-validate"
    have=$((have + 1))
  else
    echo "desktop-file-validate not installed (PELMORA_PACKAGE=1 scripts/deps.sh)"
  fi
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
    have=$((have + 1))
  else
    echo "appstreamcli not installed (PELMORA_PACKAGE=1 scripts/deps.sh)"
  fi
  ((have == 2)) || exit 77
  ;;
*)
  fail "unknown check $check"
  ;;
esac
echo "ok: $check"
