#!/bin/sh
# scripts/setup.sh against a registry mirror in mid-synchronisation: stand-ins for apt-get,
# dpkg-query, id and sleep come first on PATH, so nothing is installed, fetched or waited for.
# Usage: setup_test.sh SETUP_SCRIPT
set -eu
setup=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"

# The first $FAILS updates fail on one index, with apt's own words; the install does as $INSTALL.
cat >"$work/bin/apt-get" <<'EOF'
#!/bin/sh
case " $* " in
  *" update "*)
    echo x >>"$STATE/updates"
    [ "$(wc -l <"$STATE/updates")" -gt "$FAILS" ] && exit 0
    cat >&2 <<'APT'
E: Failed to fetch http://deb.debian.org/debian/dists/bookworm/main/binary-amd64/Packages.xz  File has unexpected size (8789364 != 8788348). Mirror sync in progress? [IP: 151.101.2.132 80]
   Hashes of expected file:
    - Filesize:8788348 [weak]
E: Some index files failed to download. They have been ignored, or old ones used instead.
APT
    exit 100
    ;;
  *" install "*)
    [ "$INSTALL" = ok ] && exit 0
    echo "E: Unable to locate package qt6-base-dev" >&2
    exit 100
    ;;
esac
EOF
printf '#!/bin/sh\nexit 1\n' >"$work/bin/dpkg-query"
printf '#!/bin/sh\necho 0\n' >"$work/bin/id"
printf '#!/bin/sh\necho "$1" >>"$STATE/slept"\n' >"$work/bin/sleep"
chmod +x "$work/bin/"*

# FAILS INSTALL EXPECTED_STATUS EXPECTED_UPDATES EXPECTED_STDERR_PATTERN
check() {
  state=$work/state
  rm -rf "$state"
  mkdir "$state"
  status=0
  STATE=$state FAILS=$1 INSTALL=$2 PATH="$work/bin:$PATH" sh "$setup" --log "$state/log" run \
    >/dev/null 2>"$state/stderr" || status=$?
  updates=$(wc -l <"$state/updates")
  if [ "$status" -ne "$3" ] || [ "$updates" -ne "$4" ] || ! grep -q "$5" "$state/stderr"; then
    echo "setup_test: $1 failed updates, install $2: status $status, $updates updates" >&2
    cat "$state/stderr" >&2
    exit 1
  fi
}

url=http://deb.debian.org/debian/dists/bookworm/main/binary-amd64/Packages.xz
unfetched="registry did not serve $url properly in 3 tries: a fault of the registry"
check 2 ok 0 3 'trying again in 20 s'
check 5 ok 0 3 "installed all the same.*$unfetched"
check 5 fails 75 3 "$unfetched.*try again later"
if [ "$(cat "$work/state/slept")" != "$(printf '20\n20')" ]; then
  echo "setup_test: paused for $(cat "$work/state/slept") seconds, not twice 20" >&2
  exit 1
fi
echo "setup_test: passed"
