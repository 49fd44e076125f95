#include "platform/online/tlsready.h"

#include "platform/base/background.h"

#include <QCoreApplication>
#include <QList>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslSocket>

#include <utility>

namespace platform {

namespace {

enum class Preparation { NotStarted, Running, Done };

struct Waiting {
    QPointer<QObject> context;
    std::function<void()> ready;
};

Preparation g_preparation = Preparation::NotStarted;
QList<Waiting> g_waiting;

// What the first use of TLS would otherwise do on the calling thread.
bool prepareBackend()
{
    const bool supported = QSslSocket::supportsSsl();
    (void)QSslConfiguration::defaultConfiguration();
    return supported;
}

void preparationEnded()
{
    g_preparation = Preparation::Done;
    for (Waiting& w : std::exchange(g_waiting, {}))
        if (w.context)
            w.ready();
}

} // namespace

void whenTlsReady(QObject* context, std::function<void()> ready)
{
    if (g_preparation == Preparation::Done) {
        ready();
        return;
    }
    g_waiting.append(Waiting{context, std::move(ready)});
    if (g_preparation == Preparation::Running)
        return;
    g_preparation = Preparation::Running;
    runInBackground(QCoreApplication::instance(), prepareBackend, [](bool) { preparationEnded(); });
}

bool tlsReady() { return g_preparation == Preparation::Done; }

} // namespace platform
