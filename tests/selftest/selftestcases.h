#ifndef SELFTEST_SELFTESTCASES_H
#define SELFTEST_SELFTESTCASES_H

#include "selftestcase.h"

// The self-test cases, grouped as the self-test's functions run them.
namespace SelfTestCases {

QList<SelfTestCase> handshake();
QList<SelfTestCase> client();
QList<SelfTestCase> fixtures();
QList<SelfTestCase> availability();
QList<SelfTestCase> addDelivery();
QList<SelfTestCase> getDeliveries();
QList<SelfTestCase> removeDelivery();
QList<SelfTestCase> persistence();
QList<SelfTestCase> deliveryFlow();
QList<SelfTestCase> correctDaemon();

QList<SelfTestCase> all();

} // namespace SelfTestCases

#endif // SELFTEST_SELFTESTCASES_H
