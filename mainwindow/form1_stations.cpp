#include "mainwindow/form1.h"

#include "platform/settings/settings.h"
#include "radio/form3.h"

#include <QLineEdit>
#include <QRadioButton>

void Form1::wireStations() { enableCommand(QStringLiteral("seturl"), &Form1::seturl_Click); }

void Form1::seturl_Click()
{
    auto editor = std::make_unique<Form3>(this);
    for (int i = 1; i <= Form3::kRows; ++i) {
        const auto slot = static_cast<size_t>(i);
        editor->Text1[slot]->setText(StationName[slot]);
        editor->Text2[slot]->setText(StationURL[slot]);
    }
    editor->setDefault(DefaultRadio);
    editor->exec();
    if (ModifURL) {
        for (int i = 1; i <= Form3::kRows; ++i) {
            const auto slot = static_cast<size_t>(i);
            StationName[slot] = editor->Text1[slot]->text();
            StationURL[slot] = editor->Text2[slot]->text();
            if (editor->Option1[slot]->isChecked())
                DefaultRadio = static_cast<qint16>(i);
        }
        // All slots and the default go to the store as one change: a crash leaves
        // the old list or the new one, never a mix.
        {
            platform::SettingsBatch batch;
            RegOptions(8);
            RegOptions(7);
        }
        LoadOptions(8);
        LoadOptions(7);
        ActURL();
    }
    ModifURL = false;
}
