#include "compat/win32/colordialog.h"

#include "compat/win32/colors.h"

#include <QColorDialog>

namespace platform {
namespace {

class QtColorDialog : public ColorDialog {
public:
    std::optional<quint32> ShowColor(QWidget* parent, std::optional<quint32> initial) override
    {
        const QColor chosen = QColorDialog::getColor(initial ? fromBgr(*initial) : QColor(Qt::white), parent);
        if (!chosen.isValid())
            return std::nullopt;
        return toBgr(chosen);
    }
};

ColorDialog* g_override = nullptr;

} // namespace

ColorDialog& colorDialog()
{
    static QtColorDialog real;
    return g_override ? *g_override : real;
}

void setColorDialog(ColorDialog* dialog) { g_override = dialog; }

} // namespace platform
