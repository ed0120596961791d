// Random bytes as a picture file, through the quiz's own picture loading
// with its bounds. Besides not crashing, a picture read must be within the
// size asked for, and a refusal must say why.

#include "core/base/picturefile.h"

#include "fuzzcheck.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr int MaxSide = 64;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Drawings are painted with fonts, which need the application object.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_picturefile";
    static char *argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // Read as a png, and where it looks like one as a bitmap: whatever the
    // named reader refuses, the content decides, as for a teacher's file.
    const QString suffix = bytes.startsWith("BM") ? QStringLiteral("bmp") : QStringLiteral("png");
    QImage image;
    const Result read = PictureFile::decode(bytes, suffix, &image, MaxSide);
    if (read) {
        check(!image.isNull());
        check(image.width() <= MaxSide && image.height() <= MaxSide);
    } else {
        check(image.isNull());
        check(!read.text.isEmpty());
    }
    return 0;
}
