#!/usr/bin/env bash
# The quiz as a classroom computer has it: the Debian package built from the
# build folder, judged by lintian, appstreamcli, desktop-file-validate and
# hardening-check, and installed with apt-get, a teacher's ordinary account with
# its own home, an Arabic system (ar_EG.UTF-8), a real window manager on the
# X server with its keys as Debian ships them, and the account's own sound
# server. The account starts the quiz from its menu entry and plays
# (tests/e2e/classroom.sh); then the package is purged and the account's data
# folder must still be there.
#
# Usage: classroom.sh [build-dir]   (as root; default build, built already)
# Prints one PASS or FAIL line per check and exits non-zero when one failed.
# Screenshots, logs and figures are kept in <build-dir>/e2e-classroom/.
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(cd "${1:-build}" && pwd) || exit 1
PUPIL=quizteacher
PACKAGE=quiz

fatal() {
    echo "classroom: FAIL: $*"
    echo "classroom: 0 passed, 1 failed"
    exit 1
}
[ "$(id -u)" -eq 0 ] || fatal "this run installs a package and makes an account: run it as root"
for tool in cpack apt-get dpkg-shlibdeps useradd userdel runuser locale-gen Xvfb xauth openbox xprop \
            xdotool import convert sqlite3 pulseaudio pactl parec sox desktop-file-validate lintian appstreamcli \
            hardening-check objdump; do
    command -v "$tool" >/dev/null || fatal "$tool is missing (bash scripts/install-deps.sh test installs it)"
done
[ -x "$build/program/quiz" ] || fatal "$build/program/quiz is not built"
bash scripts/arabic-locale.sh || fatal "the locale ar_EG.UTF-8 could not be generated"

artifacts=$build/e2e-classroom
rm -rf "$artifacts"
mkdir -p "$artifacts"
E2E_ARTIFACTS=$artifacts
E2E_T0=$(date +%s.%N)
# shellcheck source=tests/e2e/lib.sh
source tests/e2e/lib.sh
# Screenshots belong to the account's display, not to this side.
shot() { :; }

# What an earlier, interrupted run may have left.
if id "$PUPIL" >/dev/null 2>&1; then
    log "removing the account $PUPIL left by an earlier run"
    userdel -r "$PUPIL" >/dev/null 2>&1 || fatal "the account $PUPIL of an earlier run cannot be removed (processes still running?)"
fi
if dpkg-query -W -f='${Status}' "$PACKAGE" 2>/dev/null | grep -q 'ok installed\|config-files'; then
    log "purging the package $PACKAGE left by an earlier run"
    apt-get purge -y -qq "$PACKAGE" >/dev/null 2>&1 || fatal "the package $PACKAGE of an earlier run cannot be purged"
fi

work=$(mktemp -d /tmp/quiz-classroom.XXXXXX)
chmod 755 "$work"
uid=
cleanup() {
    if id "$PUPIL" >/dev/null 2>&1; then
        userdel -r "$PUPIL" >/dev/null 2>&1 || echo "classroom: the account $PUPIL could not be removed: $(ps -o pid=,comm= -u "$PUPIL" | tr '\n' ' ')"
    fi
    [ -n "$uid" ] && rm -rf "/run/user/$uid"
    rm -rf "$work"
}
trap cleanup EXIT

# ------------------------------------------------------------ the package
log "building the Debian package"
start=$(date +%s.%N)
if ! (cd "$build" && cpack -G DEB -B "$work/deb") >"$artifacts/cpack.log" 2>&1; then
    fatal "cpack -G DEB failed: $(tail -n 5 "$artifacts/cpack.log")"
fi
deb=$(ls "$work"/deb/${PACKAGE}_*.deb 2>/dev/null | head -n1)
[ -f "$deb" ] || fatal "cpack made no .deb: $(tail -n 5 "$artifacts/cpack.log")"
echo "figure package_build $(since "$start") s"
echo "figure package_size $(($(stat -c %s "$deb") / 1024)) KiB"
dpkg-deb -I "$deb" >"$artifacts/control.txt"
dpkg-deb -c "$deb" >"$artifacts/contents.txt"
field() { dpkg-deb -f "$deb" "$1"; }
check "the package depends on the Qt libraries found by dpkg-shlibdeps" grep -q 'libqt6widgets6' <<<"$(field Depends)"

# What the Debian world asks of a package: lintian with its information
# tags shown, failing on any error or warning and on any hardening tag.
log "lintian $(basename "$deb")"
lintian -I --fail-on error,warning "$deb" >"$artifacts/lintian.txt" 2>&1
lintian_status=$?
sed 's/^/lintian: /' "$artifacts/lintian.txt"
check "lintian finds no error and no warning in the package" [ "$lintian_status" -eq 0 ]
check "lintian finds no hardening tag" bash -c "! grep -q ' hardening-' '$artifacts/lintian.txt'"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
check "the package's version is the project's ($version)" [ "$(field Version)" = "$version" ]

log "installing $(basename "$deb") with apt-get"
start=$(date +%s.%N)
if ! DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$artifacts/apt-install.log" 2>&1; then
    fatal "apt-get install failed: $(tail -n 5 "$artifacts/apt-install.log")"
fi
echo "figure package_install $(since "$start") s"
pass "apt-get installs the package"
for f in /usr/lib/quiz/quiz /usr/lib/quiz/help.htm /usr/lib/quiz/Data/options.txt /usr/lib/quiz/Data/color1.wav \
         /usr/lib/quiz/Data/0.avi /usr/share/applications/quiz.desktop /usr/share/icons/hicolor/scalable/apps/quiz.svg \
         /usr/share/man/man1/quiz.1.gz /usr/share/doc/quiz/copyright /usr/share/doc/quiz/changelog.gz \
         /usr/share/mime/packages/quiz.xml; do
    check "the package installed $f" test -f "$f"
done
check "/usr/bin/quiz starts the installed program" [ "$(readlink -f /usr/bin/quiz)" = /usr/lib/quiz/quiz ]
check "every library of the installed program resolves" bash -c '! ldd /usr/lib/quiz/quiz | grep -q "not found"'
# Not even a hint: desktop-file-validate passes hints with its status.
check "desktop-file-validate accepts the menu entry without a remark" \
    bash -c '[ -z "$(desktop-file-validate /usr/share/applications/quiz.desktop 2>&1)" ]'
metainfo=$(dpkg -L "$PACKAGE" | grep "^/usr/share/metainfo/.*\.metainfo\.xml$" | head -n1)
check "the package installed its AppStream metadata ($metainfo)" test -f "$metainfo"
# No warning either: appstreamcli passes warnings with its status.
appstream_clean() {
    appstreamcli validate --no-net --no-color "$metainfo" >"$artifacts/appstream.txt" 2>&1 || return 1
    sed 's/^/appstreamcli: /' "$artifacts/appstream.txt"
    ! grep -q '^[EW]:' "$artifacts/appstream.txt"
}
check "appstreamcli validate --no-net accepts the metadata without a warning" appstream_clean
check "the metadata launches the menu entry" grep -q '<launchable type="desktop-id">quiz.desktop</launchable>' "$metainfo"
versions_agree() {
    zcat /usr/share/man/man1/quiz.1.gz | grep -q "^\.TH QUIZ 1 .*\"quiz $version\"" &&
        grep -q "<release version=\"$version\"" "$metainfo" &&
        grep -q "<span id=\"version\" dir=\"ltr\">$version</span>" /usr/lib/quiz/help.htm &&
        zcat /usr/share/doc/quiz/changelog.gz | head -n1 | grep -q "^quiz ($version)"
}
check "the man page, the AppStream release, the help page and the changelog carry $version" versions_agree
# Control-flow protection is asked of every object (-fcf-protection), but
# the linker marks a program with it only when all its objects carry it, and
# Debian 12's C start-up files do not: no program linked on this system is
# marked (hardening-check says the same of /usr/bin/ls). The markers the
# compiler put in are checked instead: each function starts with endbr64.
for f in /usr/lib/quiz/quiz /usr/lib/quiz/quiz-window.so; do
    check "hardening-check passes on $f" bash -c "hardening-check --nocfprotection '$f' >>'$artifacts/hardening.txt' 2>&1"
    check "the code of $f carries the control-flow markers" bash -c "objdump -d '$f' | grep -q endbr64"
done
sed 's/^/hardening-check: /' "$artifacts/hardening.txt"

# ------------------------------------------------------------ the account
log "making the account $PUPIL"
useradd -m -s /bin/bash -c "Classroom teacher" "$PUPIL" || fatal "useradd failed"
uid=$(id -u "$PUPIL")
home=$(getent passwd "$PUPIL" | cut -d: -f6)
# What a desktop login makes for the session: the account's runtime folder.
install -d -m 700 -o "$PUPIL" -g "$(id -g "$PUPIL")" "/run/user/$uid"

# The scenario runs as the account; it reads its scripts from a folder of
# its own and writes only into its artifacts folder.
mkdir -p "$work/scripts" "$work/artifacts"
cp tests/e2e/lib.sh tests/e2e/classroom.sh scripts/sound-server.sh "$work/scripts/"
chmod -R a+rX "$work/scripts"
chown "$PUPIL" "$work/artifacts"
echo "0 1" >"$work/result"
chown "$PUPIL" "$work/result"

log "the account plays (LANG=ar_EG.UTF-8, Openbox on Xvfb, its own sound server)"
runuser -u "$PUPIL" -- env -i HOME="$home" USER="$PUPIL" LOGNAME="$PUPIL" SHELL=/bin/bash \
    PATH=/usr/local/bin:/usr/bin:/bin:/usr/games LANG=ar_EG.UTF-8 XDG_RUNTIME_DIR="/run/user/$uid" \
    bash "$work/scripts/classroom.sh" "$work/artifacts" "$work/result" 2>&1 | tee "$artifacts/classroom.log"
status=${PIPESTATUS[0]}
cp -r "$work/artifacts/." "$artifacts/"
read -r p f <"$work/result"
[ "$status" -ne 0 ] && [ "$f" -eq 0 ] && f=1
E2E_PASSED=$((E2E_PASSED + p))
E2E_FAILED=$((E2E_FAILED + f))

# ------------------------------------------------------------ after the play
data_home=$home/.local/share/kidsquiz/quiz
check "the installed files are as the package made them (dpkg --verify)" dpkg --verify "$PACKAGE"
only_package_files() {
    [ "$(find /usr/lib/quiz | sort)" = "$(dpkg -L "$PACKAGE" | grep '^/usr/lib/quiz' | sort)" ]
}
check "nothing was added to the program folder" only_package_files
# Qt and GStreamer load their plugins while the program runs, which
# dpkg-shlibdeps cannot see: each plugin the quiz had loaded must come from a
# package that the quiz depends on, directly or through another package.
dependency_closure() {
    apt-cache depends --recurse --installed --no-recommends --no-suggests --no-conflicts \
        --no-breaks --no-replaces --no-enhances "$PACKAGE" 2>/dev/null | grep -v '^ ' | sed 's/:.*//' | sort -u
}
plugins_from_dependencies() {
    local plugins owners missing
    plugins=$(awk '$6 ~ /\/(qt6\/plugins|gstreamer-1\.0)\// {print $6}' "$artifacts/maps.txt" | sort -u)
    [ -n "$plugins" ] || { log "no plugins in the program's memory map"; return 1; }
    log "plugins loaded: $(echo "$plugins" | xargs -n1 basename | tr '\n' ' ')"
    log "fonts loaded: $(awk '$6 ~ /\/fonts\// {print $6}' "$artifacts/maps.txt" | sort -u | xargs -r -n1 basename | tr '\n' ' ')"
    owners=$(echo "$plugins" | xargs dpkg -S 2>/dev/null | cut -d: -f1 | tr ',' '\n' | tr -d ' ' | sort -u)
    missing=$(comm -23 <(echo "$owners") <(dependency_closure))
    [ -z "$missing" ] || log "plugins from packages the quiz does not depend on: $missing"
    [ -z "$missing" ]
}
check "every plugin the running quiz loaded comes from its dependencies" plugins_from_dependencies
account_idle() { [ -z "$(ps -o pid= -u "$PUPIL")" ]; }
wait_until 10 account_idle
check "nothing of the account is left running" account_idle

# ------------------------------------------------------------ purge
snapshot() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
before=$(snapshot "$data_home" 2>/dev/null)
log "purging the package"
if DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq "$PACKAGE" >"$artifacts/apt-purge.log" 2>&1; then
    pass "apt-get purge removes the package"
else
    fail "apt-get purge failed: $(tail -n 5 "$artifacts/apt-purge.log")"
fi
check "the package is gone from dpkg's list" bash -c "! dpkg-query -W -f='\${Status}' $PACKAGE 2>/dev/null | grep -q 'ok installed\|config-files'"
check "the program folder is gone" [ ! -e /usr/lib/quiz ]
check "the launcher and the menu entry are gone" test ! -e /usr/bin/quiz -a ! -e /usr/share/applications/quiz.desktop
data_kept() { [ -n "$before" ] && [ "$before" = "$(snapshot "$data_home")" ]; }
check "the account's data folder is left alone" data_kept
check "the account's results are still readable" [ -n "$(sql "$data_home/results.db" "SELECT COUNT(*) FROM Table1")" ]

echo "Screenshots and logs: $artifacts"
if [ "$E2E_FAILED" -eq 0 ]; then
    echo "classroom: PASS"
else
    echo "classroom: FAIL"
fi
echo "classroom: $E2E_PASSED passed, $E2E_FAILED failed"
[ "$E2E_FAILED" -eq 0 ]
