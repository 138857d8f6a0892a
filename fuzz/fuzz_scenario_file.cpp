// libFuzzer entry for the scenario-file reader.

#include "fuzzsetup.h"
#include "mockclock.h"
#include "scenariofilecheck.h"

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
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString problem = ScenarioFileCheck::run(file);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "scenario file check failed: %s\n", problem.toLocal8Bit().constData());
        std::abort();
    }
    return 0;
}
