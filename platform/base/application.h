#pragma once

#include <QApplication>

namespace platform {

// The program's application object. An error that escapes an event handler
// (a menu command, a timer) ends that handler quietly instead of the program.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace platform
