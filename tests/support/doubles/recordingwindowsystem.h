#pragma once

#include "platform/base/windowsystem.h"

#include <QList>
#include <QPointer>

namespace platform {

// Records every call and acts on nothing but the window's visibility.
class RecordingWindowSystem : public WindowSystem {
public:
    struct Call {
        QPointer<QWidget> window;
        ZOrder order;
    };
    void placeAndShow(QWidget* window, ZOrder order) override;
    const QList<Call>& calls() const { return m_calls; }
    void clear() { m_calls.clear(); }

private:
    QList<Call> m_calls;
};

} // namespace platform
