#ifndef KORVUD_TESTS_TESTTHINGIDS_H
#define KORVUD_TESTS_TESTTHINGIDS_H

#include <QUuid>

// Ids of the test integration plug-in, shared with the tests that drive it.
namespace TestThingIds {

// A lamp: state "power" (bool, starts false); action "setPower" (param
// "power") sets it; action "press" emits the event "pressed" (param "count").
inline const QUuid lampClass{QStringLiteral("2e0da6d4-cea2-48c1-8d6d-b3e4ce204e92")};
inline const QUuid powerState{QStringLiteral("6438c50a-d3d5-4296-b558-6f94db55c7bc")};
inline const QUuid setPowerAction{QStringLiteral("c09874ef-9e88-4d59-9db2-a26d264e5278")};
inline const QUuid pressAction{QStringLiteral("189be60d-d544-4a6d-80b0-50a71c5668d3")};
inline const QUuid pressedEvent{QStringLiteral("10aecccf-0cdf-4fa3-976f-2236d83a35e8")};

// Refuses every thing with ThingErrorHardwareNotAvailable.
inline const QUuid refusingClass{QStringLiteral("702e646c-4118-4c9c-8b2d-5051fae3397a")};

// When set to 1, lamps are refused as well (a plug-in whose hardware is gone).
inline constexpr char refuseLampsVariable[] = "KORVU_TESTTHINGS_REFUSE_LAMPS";

} // namespace TestThingIds

#endif // KORVUD_TESTS_TESTTHINGIDS_H
