#pragma once

#include <QString>

/// The computer's sound outputs and inputs, as the quiz needs to know them.
namespace SoundDevices {

/// Settles how the media backend looks for sound devices; called before
/// the first media object exists (a later call changes nothing). Without a
/// sound server the backend's automatic choice of an output tries every
/// kind of sound system it knows, JACK among them, whose client starts a
/// JACK server and can wait about 25 s for it, once for every player.
/// JACK is left out of that choice: a desktop reaches its sound through
/// PulseAudio (or PipeWire, which offers the same) or ALSA, which stay.
void prepareBackend();

/// Whether a sound output (loudspeaker, headphones) is there to play on.
bool hasOutput();
/// Whether a sound input (microphone) is there to record from.
bool hasInput();

/// Why a sound clip cannot be heard, or why nothing can be recorded: the
/// Arabic texts the options pane and the clip rows show; empty when the
/// device is there.
QString noOutputText();
QString noInputText();

} // namespace SoundDevices
