// Random bytes as a clip file before a player is handed it. Besides not
// crashing, the check says why whenever it refuses, names the file, and reads
// only a bounded part of the file whatever its size.

#include "core/media/clipfile.h"

#include "fuzzcheck.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

// Counts what the check asks of the file.
class CountingBuffer : public QBuffer
{
public:
    using QBuffer::QBuffer;
    qint64 reads = 0;
    qint64 bytesRead = 0;

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        ++reads;
        const qint64 n = QBuffer::readData(data, maxSize);
        bytesRead += qMax<qint64>(n, 0);
        return n;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    CountingBuffer device(&bytes);
    device.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    static const QString name = QStringLiteral("Data/color1.avi");
    const ClipFile::Check result = ClipFile::check(device, name);
    check(result.ok() == result.error.isEmpty());
    if (!result.ok())
        check(result.error.contains(name));
    check(!result.hasVideo || result.kind == ClipFile::Kind::Avi);
    // A few thousand chunk headers at most, not the file.
    check(device.reads <= 4096);
    check(device.bytesRead <= 4096 * 16);
    return 0;
}
