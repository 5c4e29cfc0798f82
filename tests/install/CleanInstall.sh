#!/usr/bin/env bash
# A clean install, tried: the package unpacked into a scratch root, then run
# by an unprivileged user with a home of its own. The programs find their
# templates beside themselves, keep their settings in that user's
# configuration directory, and write nothing under the installed tree.
set -euo pipefail
deb=$1
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: running the package as another user needs root"
  exit 77
fi
scratch=$(mktemp -d)
console=
cleanup() {
  [ -n "$console" ] && kill -KILL "$console" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
chmod 755 "$scratch"
root=$scratch/root home=$scratch/home
dpkg-deb -x "$deb" "$root"
mkdir -p "$home" "$scratch/run"
chown nobody:nogroup "$home" "$scratch/run"
chmod 700 "$scratch/run"

fail() {
  echo "FAIL: $*"
  exit 1
}
nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups -- env -i HOME="$home" PATH=/usr/bin:/bin
  XDG_RUNTIME_DIR="$scratch/run" REZUD_ADMIN_PASSWORD=quillset QT_QPA_PLATFORM=offscreen)
as_nobody() { "${nobody[@]}" "$@"; }
rezud() {
  as_nobody "$root/usr/bin/rezud" "$@" >"$scratch/out" 2>&1 || fail "rezud $* exited $?: $(cat "$scratch/out")"
}
tree() { find "$root" -printf '%p %y %s %T@ %m %U\n' | sort; }
before=$(tree)

rezud create "$home/lib" --description "Clean install" --yes
# One document in a folder of a drawer of a cabinet, for the backup to copy.
as_nobody sqlite3 "$home/lib/00000000/LIB.MDE" "INSERT INTO level (id, pid, type, name) VALUES
  (101, 0, 'C', 'Cabinet'), (102, 101, 'D', 'Drawer'), (103, 102, 'F', 'Folder');
  INSERT INTO images (\`folder-id\`, filename, location, internal, \`updated-date\`)
  VALUES (103, 'page.tif', '00000001', '1', '2020-01-01 10:00:00');"
as_nobody mkdir "$home/lib/00000001"
as_nobody sh -c "echo page >'$home/lib/00000001/page.tif'"
rezud select "$home/lib" --backup "$home/backup" --yes
rezud backup --yes
rezud verify
rezud status --json
settings=$home/.config/rezudizid/Vellarch.ini
grep -qF "\"settingsFile\": \"$settings\"" "$scratch/out" || fail "status names another settings file: $(cat "$scratch/out")"
grep -qF "\"library\": \"$home/lib\"" "$scratch/out" || fail "status names another library: $(cat "$scratch/out")"
grep -qxF "Path=$home/lib" "$settings" || fail "no library path in $settings"
grep -qxF "Backpath=$home/backup" "$settings" || fail "no backup path in $settings"
[ -f "$home/backup/00000001/page.tif" ] || fail "the document was not backed up"

# The console reads the same settings: it opens the library they name. It
# has no way to be told to quit under the offscreen platform but a signal.
# Each program execs the next, so this is the console's own id.
"${nobody[@]}" "$root/usr/bin/RezudIzid" >"$scratch/console" 2>&1 &
console=$!
opened=
for _ in $(seq 1 300); do
  if ls -l "/proc/$console/fd" 2>/dev/null | grep -qF "$home/lib/00000000/LIB.MDE"; then
    opened=1
    break
  fi
  kill -0 "$console" 2>/dev/null || break
  sleep 0.1
done
[ -n "$opened" ] || fail "the console did not open the library: $(cat "$scratch/console")"
kill -TERM "$console"
status=0
wait "$console" || status=$?
console=
# Idle, it holds no transaction: ended by the signal, as a session's end ends it.
[ "$status" -eq 143 ] || fail "the console ended with $status: $(cat "$scratch/console")"

[ "$(tree)" = "$before" ] || fail "written under the installed tree: $(diff <(echo "$before") <(tree))"
echo "Installed programs ran as nobody; settings in $settings"
