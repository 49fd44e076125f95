#pragma once

#include <QObject>

#include <functional>

namespace platform {

// Makes the TLS backend ready once per process on a worker thread: loading
// Qt's TLS plugin and the OpenSSL libraries, building their cipher lists and
// looking through the system's certificate folders. Done by the first HTTPS
// transfer on the window thread, that stopped the clock for tens of
// milliseconds. Certificates are checked by Qt as ever; only where this work
// runs changes.
//
// Runs `ready` on the window thread once the backend is ready: at once when
// it already is, else after the preparation, unless `context` is gone by then.
void whenTlsReady(QObject* context, std::function<void()> ready);

// Whether the preparation has ended (the backend is loaded).
bool tlsReady();

} // namespace platform
