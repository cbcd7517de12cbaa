#ifndef MOCKIDS_H
#define MOCKIDS_H

#include <QUuid>

// The fixed ids of the three mock thing classes and of what the suite addresses
// on them. The close action's id is this double's own choice.
namespace MockIds {

inline const QUuid gateClass{QStringLiteral("e09c4d49-e631-4267-9a3e-ff3a46a454bc")};
inline const QUuid scannerClass{QStringLiteral("b16048e7-9c24-4ec1-a7bf-7fd20ee4c813")};
inline const QUuid notifierClass{QStringLiteral("47ced9b1-b7fd-44de-a4d7-8b27e47b8579")};

inline const QUuid gateState{QStringLiteral("61ebba3f-02b2-472c-90e4-2ddb292e6ee9")};
inline const QUuid openAction{QStringLiteral("2eb6135e-579f-4b9a-be7b-785d664a3875")};
inline const QUuid closeAction{QStringLiteral("c105e0a1-9d2b-4f7e-8a61-3b0c2f5e7d19")};

inline const QUuid codeScannedEvent{QStringLiteral("0da90af2-90bc-43a6-bcdc-e50c39dbb8bf")};
inline const QUuid acceptAction{QStringLiteral("7e3e6b01-99a1-4346-826f-12ebff61c83d")};
inline const QUuid rejectAction{QStringLiteral("03b1abeb-4589-44f9-849b-03a1465ef015")};

inline const QUuid notifyAction{QStringLiteral("86ed7935-5c88-4810-a94c-50a39946a04c")};

} // namespace MockIds

#endif // MOCKIDS_H
