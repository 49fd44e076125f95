#include "platform/base/application.h"

#include <csignal>
#include <exception>

namespace platform {

void ignoreFileSizeLimitSignal()
{
    // Under a file-size limit a write past it would end the program; ignored,
    // the write fails with EFBIG instead and is handled as a full disk is.
    std::signal(SIGXFSZ, SIG_IGN);
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) { ignoreFileSizeLimitSignal(); }

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace platform
