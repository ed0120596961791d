// Random bytes as a wav clip. Besides not crashing, a decoded sound is never
// longer than the quiz holds, has one or two whole channels, and a file that
// decodes once decodes the same again.

#include "core/media/clipfile.h"
#include "core/media/wavesound.h"

#include "fuzzcheck.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    WaveSound::Failure why;
    const std::shared_ptr<const WaveSound> sound = WaveSound::decode(bytes, &why);
    if (!sound) {
        check(!why.reason.isEmpty());
        return 0;
    }
    check(sound->channels == 1 || sound->channels == 2);
    check(sound->samples.size() % size_t(sound->channels) == 0);
    check(sound->frames() > 0 && sound->frames() <= WaveSound::MaxFrames);

    // The mending is idempotent and keeps the sound.
    QByteArray mended = bytes;
    check(ClipFile::fixWaveSizes(mended));
    QByteArray again = mended;
    ClipFile::fixWaveSizes(again);
    check(again == mended);
    WaveSound::Failure whyAgain;
    const std::shared_ptr<const WaveSound> same = WaveSound::decode(mended, &whyAgain);
    check(same && same->samples == sound->samples);
    return 0;
}
