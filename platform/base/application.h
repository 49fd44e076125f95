#pragma once

#include <QApplication>

#include <exception>
#include <utility>

namespace platform {

// Makes a write past the process's file-size limit fail (EFBIG) instead of
// ending the program; every application object does this.
void ignoreFileSizeLimitSignal();

// The program's application object. As a last resort, an error that escapes
// an event handler ends that handler instead of the program.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// A handler for a Qt signal whose error ends that handler alone. Qt's own
// frames between an event and its handler (a menu item's activation, a
// button's mouse release) are built without unwinding support: an error that
// passed through them would skip their clean-up, leaking the event and leaving
// the widget half-way. So every handler that may fail is connected guarded:
//   connect(action, &QAction::triggered, this, platform::guarded(this, &Form1::alar_Click));
template <typename F>
auto guarded(F handler)
{
    return [handler = std::move(handler)]() mutable {
        try {
            handler();
        } catch (const std::exception&) {}
    };
}

template <typename T>
auto guarded(T* object, void (T::*method)())
{
    return guarded([object, method] { (object->*method)(); });
}

} // namespace platform
