#include "platform/online/processstarter.h"

#include <QProcess>

namespace platform {

namespace {

class DetachedStarter : public ProcessStarter {
public:
    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        return QProcess::startDetached(program, arguments);
    }
};

DetachedStarter g_detached;
ProcessStarter* g_starter = nullptr;

} // namespace

ProcessStarter& processStarter() { return g_starter ? *g_starter : g_detached; }

void setProcessStarter(ProcessStarter* starter) { g_starter = starter; }

} // namespace platform
