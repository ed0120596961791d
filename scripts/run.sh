#!/usr/bin/env bash
# Installs what is missing, builds the quiz, installs it into its program
# folder (/opt/quiz, or QUIZ_PREFIX) and starts the installed program.
# Installing again keeps the teacher's settings, lessons, clips and results.
set -eu
cd "$(dirname "$0")/.."
prefix=${QUIZ_PREFIX:-/opt/quiz}

bash scripts/install-deps.sh run
bash scripts/build.sh --target quiz build

log=$(mktemp /tmp/quiz-install.XXXXXX.log)
if ! cmake --install build --prefix "$prefix" >"$log" 2>&1; then
    echo "Installing the quiz into $prefix failed:" >&2
    tail -n 5 "$log" >&2
    echo "Run this command as root, or choose a folder of your own: QUIZ_PREFIX=\$HOME/quiz bash scripts/run.sh" >&2
    exit 1
fi
rm -f "$log"
echo "The quiz is installed in $prefix (settings, lessons, clips and results already there are kept)."

# The desktop menu entry, where this account may add one.
if [ -d /usr/share/applications ] && [ -w /usr/share/applications ]; then
    install -m 644 "$prefix/quiz.desktop" /usr/share/applications/quiz.desktop
    echo "Menu entry: /usr/share/applications/quiz.desktop"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "There is no display to show the quiz on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    echo "Start it from a desktop session, or under a virtual display:" >&2
    echo "    apt-get install xvfb && xvfb-run -a \"$prefix/quiz\"" >&2
    exit 1
fi
exec "$prefix/quiz"
