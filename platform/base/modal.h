#pragma once

#include <QList>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

namespace platform {

// Runs a window modally ("Show vbModal"): the window is shown and the call
// returns once it is hidden or destroyed; the other windows wait meanwhile.
class ModalWindows {
public:
    virtual ~ModalWindows() = default;
    virtual void runModal(QWidget* window) = 0;
};

ModalWindows& modalWindows();
// Replaces the modal runner; nullptr restores the real one.
void setModalWindows(ModalWindows* m);

} // namespace platform
