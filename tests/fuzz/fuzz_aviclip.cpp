// Random bytes as an avi clip. Besides not crashing, a decoded clip is never
// longer than the quiz holds, every frame lies inside the file, and its
// pictures can be asked for at any time of the clip.

#include "core/media/aviclip.h"
#include "core/media/wavesound.h"

#include "fuzzcheck.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    WaveSound::Failure why;
    const std::shared_ptr<const AviClip> clip = AviClip::decode(bytes, &why);
    if (!clip) {
        check(!why.reason.isEmpty());
        return 0;
    }
    check(clip->sound != nullptr);
    check(clip->sound->frames() <= WaveSound::MaxFrames);
    check(clip->hasVideo() || clip->sound->frames() > 0);
    for (const AviClip::Frame &f : clip->frames)
        check(f.offset >= 0 && f.size >= 0 && f.offset + f.size <= qint64(size));
    if (clip->hasVideo()) {
        const qint64 ms = clip->sound->durationMs();
        // The clock of the pictures never leaves the list of frames.
        for (qint64 at : {qint64(0), ms / 2, ms, ms + 1000}) {
            const int frame = clip->frameAt(at);
            check(frame >= 0 && frame < int(clip->frames.size()));
        }
        check(!clip->picture(int(clip->frames.size()) - 1).isNull());
        clip->picture(clip->frameAt(ms / 2));
    }
    return 0;
}
