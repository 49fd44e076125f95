#include "platform/base/dialogs.h"

#include "platform/base/runningstep.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace platform {
namespace {

struct ButtonSpec {
    QMessageBox::StandardButton button;
    int answer;
};

QList<ButtonSpec> buttonsFor(int style)
{
    switch (style & mb::ButtonsMask) {
    case mb::OkCancel: return {{QMessageBox::Ok, mb::Ok}, {QMessageBox::Cancel, mb::Cancel}};
    case mb::AbortRetryIgnore:
        return {{QMessageBox::Abort, mb::Abort}, {QMessageBox::Retry, mb::Retry}, {QMessageBox::Ignore, mb::Ignore}};
    case mb::YesNoCancel:
        return {{QMessageBox::Yes, mb::Yes}, {QMessageBox::No, mb::No}, {QMessageBox::Cancel, mb::Cancel}};
    case mb::YesNo: return {{QMessageBox::Yes, mb::Yes}, {QMessageBox::No, mb::No}};
    case mb::RetryCancel: return {{QMessageBox::Retry, mb::Retry}, {QMessageBox::Cancel, mb::Cancel}};
    default: return {{QMessageBox::Ok, mb::Ok}};
    }
}

int defaultIndex(int style)
{
    switch (style & mb::DefaultMask) {
    case mb::DefaultButton2: return 1;
    case mb::DefaultButton3: return 2;
    default: return 0;
    }
}

QMessageBox::Icon iconFor(int style)
{
    switch (style & mb::IconMask) {
    case mb::Critical: return QMessageBox::Critical;
    case mb::Question: return QMessageBox::Question;
    case mb::Exclamation: return QMessageBox::Warning;
    case mb::Information: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// Answer when the box is closed without a button: Cancel where there is one,
// otherwise the only or default button.
int escapeAnswer(int style)
{
    for (const ButtonSpec& b : buttonsFor(style))
        if (b.answer == mb::Cancel)
            return mb::Cancel;
    return defaultAnswer(style);
}

class WidgetDialogs : public Dialogs {
public:
    int msgBox(const QString& prompt, int style, const QString& title) override
    {
        QMessageBox box(iconFor(style), title, prompt, QMessageBox::NoButton, QApplication::activeWindow());
        // Prompts carry text from files and servers: never read it as markup.
        box.setTextFormat(Qt::PlainText);
        const QList<ButtonSpec> specs = buttonsFor(style);
        for (const ButtonSpec& s : specs)
            box.addButton(s.button);
        const int def = qMin(defaultIndex(style), static_cast<int>(specs.size()) - 1);
        box.setDefaultButton(specs[def].button);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.setTextFormat(Qt::PlainText); // texts from servers and files are never markup
        const RunningStep step;
        const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
        for (const ButtonSpec& s : specs)
            if (s.button == pressed)
                return s.answer;
        return escapeAnswer(style);
    }

    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override
    {
        QInputDialog box(QApplication::activeWindow(), Qt::WindowStaysOnTopHint);
        box.setWindowTitle(title);
        box.setLabelText(prompt);
        box.setTextValue(defaultText);
        for (QLabel* label : box.findChildren<QLabel*>())
            label->setTextFormat(Qt::PlainText);
        const RunningStep step;
        return box.exec() == QDialog::Accepted ? box.textValue() : QString();
    }
};

WidgetDialogs g_widgetDialogs;
Dialogs* g_defaultDialogs = &g_widgetDialogs;
Dialogs* g_dialogs = &g_widgetDialogs;

} // namespace

Dialogs& dialogs() { return *g_dialogs; }

void setDialogs(Dialogs* d) { g_dialogs = d ? d : g_defaultDialogs; }

Dialogs& screenDialogs() { return g_widgetDialogs; }

void setDefaultDialogs(Dialogs* d) { g_defaultDialogs = d ? d : &g_widgetDialogs; }

int defaultAnswer(int style)
{
    const QList<ButtonSpec> specs = buttonsFor(style);
    return specs[qMin(defaultIndex(style), static_cast<int>(specs.size()) - 1)].answer;
}

} // namespace platform
