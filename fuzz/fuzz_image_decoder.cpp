// libFuzzer entry for the configuration-image decoder.

#include "imagedecodercheck.h"

#include "fuzzsetup.h"
#include "mockclock.h"
#include "model/clock.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzSetup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString problem = ImageDecoderCheck::run(body);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "image decoder check failed: %s\n", problem.toLocal8Bit().constData());
        std::abort();
    }
    return 0;
}
