#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

// Starts another program without waiting for it.
class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // True when the program runs (false for a file that cannot be run).
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
};

ProcessStarter& processStarter();
// Replaces the starter; nullptr restores the real one.
void setProcessStarter(ProcessStarter* starter);

} // namespace platform
