#!/usr/bin/env bash
# first_start_test.sh BUILD_DIR
# Installs under /usr in a DESTDIR, starts the installed program as an
# ordinary user with an empty temporary HOME, and expects the first start to
# write ~/.config/pelmora/userdata.ini (the program's folder being read-only
# to that user), then $XDG_CONFIG_HOME/pelmora/userdata.ini when that is set.
# Skips (77) when no ordinary user can run it.
set -euo pipefail
build=$1
user=pelmora-test
fail() { echo "FAIL: $*" >&2; exit 1; }

dest=$(mktemp -d)
home=$(mktemp -d)
runner=()
pid=
cleanup() {
  [[ -n $pid ]] && kill "$pid" 2>/dev/null || true
  chmod -R u+w "$dest" 2>/dev/null || true
  rm -rf "$dest" "$home"
}
trap cleanup EXIT

DESTDIR=$dest cmake --install "$build" --prefix /usr >/dev/null
chmod 755 "$dest"
if [[ $(id -u) -eq 0 ]]; then
  if ! id "$user" >/dev/null 2>&1; then
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user" 2>/dev/null ||
      { echo "cannot create the user $user"; exit 77; }
  fi
  command -v setpriv >/dev/null || { echo "setpriv missing"; exit 77; }
  chown "$user:" "$home"
  runner=(setpriv --reuid="$user" --regid="$user" --clear-groups)
else
  # An ordinary user already: the installed folder must be read-only to us,
  # as /usr/bin is.
  chmod a-w "$dest/usr/bin"
fi
chmod 700 "$home"
exe=$dest/usr/bin/pelmora
if ! "${runner[@]}" test -x "$exe"; then
  echo "the user cannot reach $exe"
  exit 77
fi

display=()
if command -v xvfb-run >/dev/null && command -v xauth >/dev/null; then
  display=(xvfb-run -a)
  platform=xcb
else
  platform=offscreen
fi

# Starts the program in the background; it is stopped once the file shows up
# (timeout bounds it should it never appear).
start() {
  timeout 60 "${runner[@]}" env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 \
    QT_QPA_PLATFORM=$platform "$@" "${display[@]}" "$exe" >"$home/out.log" 2>&1 &
  pid=$!
}
wait_for() {
  for _ in $(seq 1 300); do
    [[ -s $1 ]] && grep -q 'Maxword= *25' "$1" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=
  [[ -s $1 ]] || { cat "$home/out.log" >&2; fail "no $1 after the first start"; }
  grep -q 'Maxword= *25' "$1" || fail "$1 lacks the default settings"
}

start
wait_for "$home/.config/pelmora/userdata.ini"
[[ $(stat -c %a "$home/.config/pelmora") == 700 ]] || fail "~/.config/pelmora is not private"
[[ ! -e $dest/usr/bin/userdata.ini ]] || fail "settings written beside the installed program"
# Folder dialogs start in the user's home, not in the installed program's folder.
grep -q "^DefaultDir=$home"$'\r'"\?\$" "$home/.config/pelmora/userdata.ini" || fail "DefaultDir is not the home folder"

start XDG_CONFIG_HOME="$home/xdg"
wait_for "$home/xdg/pelmora/userdata.ini"
echo "ok: first start writes the per-user settings"
