// Random bytes as Data/access.txt. Besides not crashing, every value read is
// one the settings allow, and what the quiz writes back reads the same.

#include "core/settings/accesssettings.h"

#include "fuzzcheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const AccessSettings read = AccessSettings::parse(bytes);
    check(read.scanIntervalMs >= AccessSettings::MinScanIntervalMs
          && read.scanIntervalMs <= AccessSettings::MaxScanIntervalMs);
    check(AccessSettings::parse(read.toBytes()) == read);
    return 0;
}
