#ifndef KORVUD_FUZZ_FUZZCHECK_H
#define KORVUD_FUZZ_FUZZCHECK_H

#include <QByteArray>

#include <cstdio>
#include <cstdlib>

// Stops the fuzzer with a report when an invariant does not hold; libFuzzer
// then saves the input that broke it.
inline void fuzzCheck(bool holds, const char *invariant, const QByteArray &detail = QByteArray())
{
    if (holds)
        return;
    std::fprintf(stderr, "Invariant broken: %s\n%s\n", invariant, detail.left(4000).constData());
    std::abort();
}

#endif // KORVUD_FUZZ_FUZZCHECK_H
