// Random bytes as the sound a recording receives: the first byte chooses
// the sample layout, the second how the input cuts the bytes into pieces.
// Besides not crashing, the pieces never change what is found, the frames
// kept lie within the recording around its loudest sample, and the kept
// sound brought up or down reaches the default clips' peak.

#include "core/media/soundshaper.h"

#include "fuzzcheck.h"

#include <QByteArray>

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const PcmLayout layout{8000 + 1000 * (data[0] >> 4), 1 + (data[0] >> 2) % 3, SampleKind(data[0] % 4)};
    const int piece = 1 + data[1];
    // Whole frames, as a recording is kept.
    const qsizetype bytes = qsizetype(size - 2) / layout.bytesPerFrame() * layout.bytesPerFrame();
    const QByteArray sound(reinterpret_cast<const char *>(data + 2), bytes);

    SoundScan whole(layout);
    whole.take(sound);
    SoundScan pieces(layout);
    for (qsizetype at = 0; at < sound.size(); at += piece)
        pieces.take(sound.constData() + at, qMin<qsizetype>(piece, sound.size() - at));
    check(whole.frames() == sound.size() / layout.bytesPerFrame());
    check(pieces.frames() == whole.frames() && pieces.peak() == whole.peak());

    const SoundShape shape = whole.shape();
    const SoundShape same = pieces.shape();
    check(shape.silent == same.silent && shape.firstFrame == same.firstFrame && shape.endFrame == same.endFrame);
    check(shape.silent == (whole.peak() < SoundScan::fromDb(SoundScan::SilenceDb)));
    if (shape.silent)
        return 0;
    check(0 <= shape.firstFrame && shape.firstFrame < shape.endFrame && shape.endFrame <= whole.frames());
    check(std::isfinite(shape.gain) && shape.gain > 0);

    QByteArray kept = sound.mid(shape.firstFrame * layout.bytesPerFrame(),
                                (shape.endFrame - shape.firstFrame) * layout.bytesPerFrame());
    SoundScan before(layout);
    before.take(kept);
    check(before.peak() == whole.peak());
    scaleSamples(kept.data(), kept.size(), layout.kind, shape.gain);
    SoundScan after(layout);
    after.take(kept);
    check(std::abs(SoundScan::toDb(after.peak()) - SoundScan::TargetPeakDb) < 0.5);
    return 0;
}
