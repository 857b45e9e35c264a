#!/usr/bin/env bash
# scripts/apt-sources against made-up apt lists: the archive of this release (not its security suite, not
# another release's or a disabled entry's), and source lists of this release's entries in both forms.
set -euo pipefail
tool=$1
etc=$(mktemp -d)
trap 'rm -rf "$etc"' EXIT
mkdir -p "$etc/sources.list.d"
cat >"$etc/sources.list" <<'LIST'
# the office mirror
deb [arch=amd64 signed-by=/usr/share/keyrings/office.gpg] file:/srv/office/debian bookworm main contrib
deb file:/srv/office/debian-security bookworm-security main  # security
deb-src file:/srv/office/debian bookworm main
deb file:/srv/office/other stable main
LIST
cat >"$etc/sources.list.d/old.sources" <<'LIST'
Types: deb
URIs: file:/srv/old/debian
Suites: bullseye
Components: main

Types: deb
URIs: file:/srv/off/debian
Suites: bookworm
Components: main
Enabled: no
LIST
cat >"$etc/sources.list.d/proxy.sources" <<'LIST'
Types: deb deb-src
URIs: file:/srv/proxy/a/ file:/srv/proxy/b
Suites: bookworm-updates
Components: main non-free-firmware
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
LIST
run() { VELTARO_APT_ETC=$etc VELTARO_CODENAME=bookworm "$tool" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

[ "$(run archive)" = file:/srv/office/debian ] || fail "archive: $(run archive)"
src=$(run deb-src)
grep -q '^Types: deb-src$' <<<"$src" || fail "no deb-src stanza"
[ "$(grep -c '^Types:' <<<"$src")" = 4 ] || fail "stanzas: $src"
grep -A3 'URIs: file:/srv/office/debian$' <<<"$src" | grep -q 'Components: main contrib' || fail "components: $src"
grep -A4 'URIs: file:/srv/office/debian$' <<<"$src" | grep -q 'Signed-By: /usr/share/keyrings/office.gpg' ||
  fail "signed-by from the one-line options: $src"
grep -A1 'URIs: file:/srv/proxy/b$' <<<"$src" | grep -q 'Suites: bookworm-updates' || fail "second URI: $src"
! grep -qE '/srv/(other|old|off)/' <<<"$src" || fail "another release or a disabled entry: $src"
VELTARO_APT_ETC=$etc VELTARO_CODENAME=trixie "$tool" archive 2>/dev/null && fail "archive for a release no list serves"
echo "apt-sources: ok"
