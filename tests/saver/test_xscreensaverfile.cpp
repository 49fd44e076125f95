#include "platform/system/xscreensaverfile.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QFile>
#include <QTest>

using namespace platform::xss;

namespace {

// A preferences file as xscreensaver-settings 6.06 writes it.
QByteArray writtenByXScreenSaver()
{
    QFile file(qEnvironmentVariable("VANTORA_SOURCE_DIR") + QStringLiteral("/tests/saver/data/xscreensaver-6.06"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("fixture missing");
    return file.readAll();
}

const QString kVN = QStringLiteral("/home/u/.local/share/Vantora/drive_c/Windows/VN.scr");

QString vnEntry(const QString& path = kVN) { return QStringLiteral("\"VN LED Clock\" %1 /s").arg(shellQuote(path)); }

bool runsVN(const ProgramEntry& e) { return firstShellWord(e.command) == kVN; }

// The lines of text that are in `after` but not in `before`, and the reverse.
QPair<QList<QByteArray>, QList<QByteArray>> lineDiff(const QByteArray& before, const QByteArray& after)
{
    QList<QByteArray> a = before.split('\n');
    QList<QByteArray> b = after.split('\n');
    QList<QByteArray> added, removed;
    for (const QByteArray& line : b)
        if (!a.removeOne(line))
            added.append(line);
    removed = a;
    return {added, removed};
}

} // namespace

class TestXScreenSaverFile : public QObject {
    Q_OBJECT
private slots:
    void readsTheValuesXScreenSaverWrites()
    {
        const PreferencesFile file(writtenByXScreenSaver());
        QCOMPARE(file.value("timeout"), QString("0:12:00"));
        QCOMPARE(file.value("mode"), QString("random"));
        QCOMPARE(file.value("selected"), QString("-1"));
        QCOMPARE(file.value("lock"), QString("False"));
        QCOMPARE(file.value("imageDirectory"), QString(""));
        QCOMPARE(file.value("nothing"), std::nullopt);
        const QList<ProgramEntry> programs = file.programs();
        QVERIFY(programs.size() > 200);
        QCOMPARE(programs[0].command, QString("maze --root"));
        QVERIFY(programs[0].enabled);
        QCOMPARE(programs[1].visual, QString("GL"));
        QCOMPARE(programs[1].command, QString("superquadrics --root"));
        QVERIFY(!programs[1].enabled);
        QCOMPARE(programs[243].command, QString("marbling --root")); // "selected: 243" picks it
        QCOMPARE(programs.last().command, QString("squirtorus --root"));
    }

    void registeringChangesOnlyTheProgramsModeAndSelectedLines()
    {
        const QByteArray before = writtenByXScreenSaver();
        PreferencesFile file(before);
        const int count = static_cast<int>(file.programs().size());
        file.putProgramFirst(vnEntry(), runsVN);
        file.setValue("mode", "one");
        file.setValue("selected", "0");

        const auto [added, removed] = lineDiff(before, file.bytes());
        QCOMPARE(removed, (QList<QByteArray>{"mode:\t\trandom", "selected:\t-1"}));
        QCOMPARE(added,
                 (QList<QByteArray>{"mode:\t\tone", "selected:\t0",
                                    "\t\t\t\t\"VN LED Clock\" '" + kVN.toUtf8() + "' /s\t\\n\\"}));

        const PreferencesFile again(file.bytes());
        QCOMPARE(again.programs().size(), count + 1);
        QCOMPARE(again.programs()[0].name, QString("VN LED Clock"));
        QCOMPARE(firstShellWord(again.programs()[0].command), kVN);
        QCOMPARE(again.programs()[1].command, QString("maze --root"));
        QCOMPARE(again.value("mode"), QString("one"));
    }

    void registeringTwiceKeepsOneEntry()
    {
        PreferencesFile file(writtenByXScreenSaver());
        file.putProgramFirst(vnEntry(), runsVN);
        const QByteArray once = file.bytes();
        file.putProgramFirst(vnEntry(), runsVN);
        QCOMPARE(file.bytes(), once);
    }

    void anOlderEntryAnywhereIsReplaced()
    {
        PreferencesFile file("programs:\t\\\n\t\tmaze --root\t\\n\\\n- \"Old\" '" + kVN.toUtf8()
                             + "' /s\t\\n\\\n\t\tqix --root\t\\n\\\n\n# kept\n");
        file.putProgramFirst(vnEntry(), runsVN);
        const QList<ProgramEntry> programs = file.programs();
        QCOMPARE(programs.size(), 3);
        QCOMPARE(programs[0].name, QString("VN LED Clock"));
        QCOMPARE(programs[1].command, QString("maze --root"));
        QCOMPARE(programs[2].command, QString("qix --root"));
        QVERIFY(file.bytes().endsWith("\n# kept\n"));
    }

    void theLastEntryAndTheOnlyEntryCanBeReplaced()
    {
        PreferencesFile last("programs: maze -root \\n\\\n  '" + kVN.toUtf8() + "' /s \\n\\\n\n");
        last.putProgramFirst(vnEntry(), runsVN);
        QCOMPARE(last.programs().size(), 2);
        QCOMPARE(last.programs()[1].command, QString("maze -root"));

        PreferencesFile only("programs:\t'" + kVN.toUtf8() + "' /s\nlock: True\n");
        only.putProgramFirst(vnEntry(), runsVN);
        QCOMPARE(only.programs().size(), 1);
        QCOMPARE(only.programs()[0].name, QString("VN LED Clock"));
        QCOMPARE(only.value("lock"), QString("True"));
    }

    void aMissingProgramsListOrFileIsCreated()
    {
        PreferencesFile empty;
        empty.putProgramFirst(vnEntry(), runsVN);
        empty.setValue("mode", "one");
        QCOMPARE(empty.programs().size(), 1);
        QCOMPARE(empty.value("mode"), QString("one"));

        // A last line that continues does not swallow what is added after it.
        PreferencesFile dangling("lock: False\nfoo: bar \\");
        dangling.setValue("timeout", "0:15:00");
        QCOMPARE(dangling.value("timeout"), QString("0:15:00"));
        QCOMPARE(dangling.value("lock"), QString("False"));
        QVERIFY(dangling.bytes().startsWith("lock: False\nfoo: bar \\"));
    }

    void commentsAndUnknownLinesAreNeverRead()
    {
        const PreferencesFile file("# mode: one\n! lock: True\nnonsense line\nmode:\tblank\n");
        QCOMPARE(file.value("mode"), QString("blank"));
        QCOMPARE(file.value("lock"), std::nullopt);
    }

    void valuesAreEscapedAndUnescaped()
    {
        PreferencesFile file;
        file.setValue("textLiteral", "a\\b\nc");
        QCOMPARE(file.bytes(), QByteArray("textLiteral:\ta\\\\b\\nc\n"));
        QCOMPARE(file.value("textLiteral"), QString("a\\b\nc"));
        QCOMPARE(PreferencesFile("x: \\101\\q\n").value("x"), QString("Aq"));
    }

    void programEntriesAreRead_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("visual");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("first");
        QTest::newRow("plain") << "maze --root" << true << ""
                               << ""
                               << "maze";
        QTest::newRow("disabled GL") << "- GL: \t\tpipes --root" << false << "GL"
                                     << ""
                                     << "pipes";
        QTest::newRow("named, quoted path") << "\"VN LED Clock\" '/a b/VN.scr' /s" << true << ""
                                            << "VN LED Clock"
                                            << "/a b/VN.scr";
        QTest::newRow("quote in path") << "'/it'\\''s/VN.scr' /s" << true << ""
                                       << ""
                                       << "/it's/VN.scr";
        QTest::newRow("double quotes") << "\"x\" \"/p \\\"q\\\"/VN.scr\"" << true << ""
                                       << "x"
                                       << "/p \"q\"/VN.scr";
        QTest::newRow("backslash") << "/a\\ b/VN.scr /s" << true << ""
                                   << ""
                                   << "/a b/VN.scr";
    }

    void programEntriesAreRead()
    {
        QFETCH(QString, line);
        const ProgramEntry entry = parseProgramEntry(line);
        QTEST(entry.enabled, "enabled");
        QTEST(entry.visual, "visual");
        QTEST(entry.name, "name");
        QTEST(firstShellWord(entry.command), "first");
    }

    void shellQuoteRoundTrips()
    {
        for (const QString& path : {QStringLiteral("/plain/VN.scr"), QStringLiteral("/with space/VN.scr"),
                                    QStringLiteral("/it's/\"VN\".scr"), QStringLiteral("/$HOME/`x`/VN.scr")})
            QCOMPARE(firstShellWord(shellQuote(path) + " /s"), path);
    }

    void timesAreRead_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("seconds");
        QTest::newRow("H:MM:SS") << "0:15:00" << qint64(900);
        QTest::newRow("599 s") << "0:09:59" << qint64(599);
        QTest::newRow("M:SS") << "5:00" << qint64(300);
        QTest::newRow("bare minutes") << "15" << qint64(900);
        QTest::newRow("hours") << "2:00:00" << qint64(7200);
        QTest::newRow("blank") << "" << qint64(-1);
        QTest::newRow("letters") << "abc" << qint64(-1);
        QTest::newRow("negative") << "-5" << qint64(-1);
        QTest::newRow("four parts") << "1:2:3:4" << qint64(-1);
    }

    void timesAreRead()
    {
        QFETCH(QString, text);
        QFETCH(qint64, seconds);
        QCOMPARE(parseTime(text).value_or(-1), seconds);
    }

    void timesAreWrittenAsHoursMinutesSeconds()
    {
        QCOMPARE(timeText(900), QString("0:15:00"));
        QCOMPARE(timeText(86400), QString("24:00:00"));
        QCOMPARE(timeText(61), QString("0:01:01"));
    }

    void booleansAreRead()
    {
        QCOMPARE(parseBoolean("True"), true);
        QCOMPARE(parseBoolean(" on "), true);
        QCOMPARE(parseBoolean("no"), false);
        QCOMPARE(parseBoolean("maybe"), std::nullopt);
    }
};

VANTORA_TEST_MAIN(TestXScreenSaverFile)
#include "test_xscreensaverfile.moc"
