// libFuzzer entry: arbitrary bytes, cut at fuzzer-chosen points, through
// korvud's JSON stream reader and request routing (see JsonRpcFuzzHarness).

#include "fuzzinput.h"
#include "jsonrpcfuzzharness.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstddef>
#include <cstdint>

namespace {

JsonRpcFuzzHarness *harness = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The SQL driver is a Qt plug-in, which needs an application object.
    static int argc = 1;
    static char name[] = "korvu-fuzz-jsonrpc";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvud"));
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false\n*.warning=false"));
    // Destroyed before the application object, which was made first.
    static JsonRpcFuzzHarness instance;
    harness = &instance;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    harness->run(FuzzInput::decode(data, size));
    return 0;
}
