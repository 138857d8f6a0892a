// libFuzzer entry for the event-log parser.

#include "eventlogcheck.h"
#include "fuzzsetup.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzSetup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray log(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString problem = EventLogCheck::run(log);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "event log check failed: %s\n", problem.toLocal8Bit().constData());
        std::abort();
    }
    return 0;
}
