# Sourced by the test scripts: starts and stops a private PulseAudio server
# with a null sink "quiz". Its monitor is offered again as the source
# "quizmic", the default input: audio programs list monitors apart from
# microphones, and a recording must hear what the players sound as if a
# microphone stood next to the speaker.
# Leaves QUIZ_NO_SOUND_SERVER set when none could be started.
start_sound_server() {
    export XDG_RUNTIME_DIR=${QUIZ_RUNTIME_DIR:-$(mktemp -d /tmp/quiz-runtime.XXXXXX)}
    chmod 700 "$XDG_RUNTIME_DIR"
    # Beside the server's socket: the account that starts it can write there.
    local log=$XDG_RUNTIME_DIR/quiz-pulse.log
    if ! command -v pulseaudio >/dev/null; then
        export QUIZ_NO_SOUND_SERVER="pulseaudio is not installed"
        return 0
    fi
    if pulseaudio -D -n --exit-idle-time=-1 --system=false \
        --load="module-null-sink sink_name=quiz" \
        --load="module-remap-source master=quiz.monitor source_name=quizmic source_properties=device.description=quizmic" \
        --load=module-native-protocol-unix >"$log" 2>&1; then
        for _ in $(seq 50); do
            pactl info >/dev/null 2>&1 && break
            sleep 0.1
        done
        pactl set-default-sink quiz >/dev/null 2>&1 || true
        pactl set-default-source quizmic >/dev/null 2>&1 || true
    fi
    if ! pactl info >/dev/null 2>&1; then
        export QUIZ_NO_SOUND_SERVER="the PulseAudio server could not be started (see $log)"
        echo "Sound tests will be skipped: $QUIZ_NO_SOUND_SERVER"
    fi
}
stop_sound_server() {
    pulseaudio --kill >/dev/null 2>&1 || true
}
