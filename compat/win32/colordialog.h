#pragma once

#include <QList>

#include <optional>

class QWidget;

namespace platform {

// The common colour dialog. Colours are Windows values &HBBGGRR.
class ColorDialog {
public:
    virtual ~ColorDialog() = default;
    // Shows the dialog modally with `initial` preselected (when given); the
    // colour chosen, or nothing when the user cancelled.
    virtual std::optional<quint32> ShowColor(QWidget* parent, std::optional<quint32> initial) = 0;
};

ColorDialog& colorDialog();
// Replaces the dialog; nullptr restores the real one.
void setColorDialog(ColorDialog* dialog);

} // namespace platform
