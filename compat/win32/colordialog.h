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

// For tests: answers from a queue without showing anything (cancel when the
// queue is empty) and records the colour each showing preselected.
class ScriptedColorDialog : public ColorDialog {
public:
    std::optional<quint32> ShowColor(QWidget* parent, std::optional<quint32> initial) override;
    void answerNext(std::optional<quint32> colour) { m_answers.append(colour); }
    const QList<std::optional<quint32>>& shown() const { return m_shown; }

private:
    QList<std::optional<quint32>> m_answers;
    QList<std::optional<quint32>> m_shown;
};

} // namespace platform
