#ifndef CONNECTIONBOUND_H
#define CONNECTIONBOUND_H

// How long the suite keeps trying to connect to a daemon it started. Whoever
// starts the suite (korvu-check) waits as long for the daemon to listen, so
// that it never refuses a daemon the suite would accept.
constexpr int connectionBoundMs = 60000;

#endif // CONNECTIONBOUND_H
