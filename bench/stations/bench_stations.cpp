// Measures opening the station-list editor (build, fill twelve rows, show) and
// the media chooser on a folder of many files. Run: ./bench_stations [files]
#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "platform/settings/settings.h"
#include "radio/form3.h"
#include "radio/form4.h"
#include "tests/mainwindow/standins.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTextStream>
#include <QTimer>

int main(int argc, char** argv)
{
    testsupport::environment();
    QApplication app(argc, argv);
    const int files = argc > 1 ? QString(argv[1]).toInt() : 2000;

    testsupport::StandIns standIns(QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)));

    Form1 main;
    main.Form_Load();

    QElapsedTimer editorTime;
    editorTime.start();
    auto editor = std::make_unique<Form3>(&main);
    for (int i = 1; i <= Form3::kRows; ++i) {
        editor->Text1[static_cast<size_t>(i)]->setText(main.stationName(i));
        editor->Text2[static_cast<size_t>(i)]->setText(main.stationURL(i));
    }
    editor->setDefault(main.DefaultRadio);
    editor->show();
    app.processEvents();
    const double editorMs = double(editorTime.nsecsElapsed()) / 1e6;

    const QString folder = testsupport::environment().root() + QStringLiteral("/many");
    QDir().mkpath(folder);
    for (int i = 0; i < files; ++i)
        QFile(folder + QStringLiteral("/track%1.mp3").arg(i)).open(QIODevice::WriteOnly);
    platform::saveSetting(QStringLiteral("Options"), QStringLiteral("Dir1.Path42"), folder);

    QElapsedTimer chooserTime;
    qint64 shownAfter = 0;
    QTimer::singleShot(0, editor.get(), [&] {
        shownAfter = chooserTime.nsecsElapsed();
        appWindows().form4()->canc_Click();
    });
    chooserTime.start();
    editor->SelMP3_Dir();

    QTextStream(stdout) << "editor built, filled and shown: " << editorMs << " ms\n"
                        << "chooser opened on " << files << " files: " << double(shownAfter) / 1e6 << " ms\n";
    editor.reset();
    appWindows().unloadAll();
    return 0;
}
