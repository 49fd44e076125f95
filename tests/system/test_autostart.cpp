#include "platform/system/autostart.h"
#include "compat/win32/registry.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QFile>
#include <QTest>

using namespace platform;

namespace {

const QString kRunKey = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");

// Writes the Run value the way the program does: open the existing key for
// setting values, write text with its NUL, close.
qint32 writeRunValue(const QString& name, const QString& text, const QString& key = kRunKey)
{
    HKEY run = 0;
    const qint32 opened = RegOpenKeyEx(HKEY_LOCAL_MACHINE, key, 0, KEY_SET_VALUE, &run);
    if (opened != ERROR_SUCCESS)
        return opened;
    const QByteArray data = text.toUtf8() + '\0';
    const qint32 result = RegSetValueEx(run, name, 0, REG_SZ, data.constData(), static_cast<quint32>(data.size()));
    RegCloseKey(run);
    return result;
}

QStringList entryLines()
{
    QFile file(autostartEntryPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

QString entryKey(const QString& key)
{
    for (const QString& line : entryLines())
        if (line.startsWith(key + '='))
            return line.mid(key.size() + 1);
    return {};
}

// Reads an Exec value back as a launcher does: string escapes first, then
// quoting, then the doubled '%'. Only what a single argument needs.
QString launcherArgument(const QString& exec)
{
    QString unescaped;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        if (exec[i] == '\\' && i + 1 < exec.size()) {
            const QChar next = exec[++i];
            unescaped += next == 'n' ? QChar('\n')
                : next == 't'        ? QChar('\t')
                : next == 'r'        ? QChar('\r')
                : next == 's'        ? QChar(' ')
                                     : next;
        } else {
            unescaped += exec[i];
        }
    }
    QString argument;
    if (unescaped.startsWith('"') && unescaped.endsWith('"') && unescaped.size() >= 2) {
        const QString inner = unescaped.mid(1, unescaped.size() - 2);
        for (qsizetype i = 0; i < inner.size(); ++i) {
            if (inner[i] == '\\' && i + 1 < inner.size())
                ++i;
            argument += inner[i];
        }
    } else {
        argument = unescaped;
    }
    return argument.replace("%%", "%");
}

} // namespace

class TestAutostart : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        testsupport::environment().wipe();
        registryReloadForTests();
    }

    void theEntryFollowsTheRunValue()
    {
        QCOMPARE(autostartEntryPath(), testsupport::environment().configHome() + "/autostart/vantora.desktop");
        QVERIFY(!QFile::exists(autostartEntryPath()));

        QCOMPARE(writeRunValue("Vantora", "/opt/vantora/bin/Vantora"), ERROR_SUCCESS);
        const QStringList lines = entryLines();
        QVERIFY(!lines.isEmpty());
        QCOMPARE(lines.first(), QString("[Desktop Entry]"));
        QCOMPARE(entryKey("Type"), QString("Application"));
        QCOMPARE(entryKey("Name"), QString("Vantora"));
        QCOMPARE(entryKey("Icon"), QString(VANTORA_APP_ID));
        QCOMPARE(entryKey("Exec"), QString("/opt/vantora/bin/Vantora"));

        // Off is the empty text, not a deleted value.
        QCOMPARE(writeRunValue("Vantora", ""), ERROR_SUCCESS);
        QVERIFY(!QFile::exists(autostartEntryPath()));
        QCOMPARE(writeRunValue("Vantora", ""), ERROR_SUCCESS);
        QVERIFY(!QFile::exists(autostartEntryPath()));

        QCOMPARE(writeRunValue("VANTORA", "/usr/bin/Vantora"), ERROR_SUCCESS);
        QCOMPARE(entryKey("Exec"), QString("/usr/bin/Vantora"));
        HKEY run = 0;
        QCOMPARE(RegOpenKeyEx(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &run), ERROR_SUCCESS);
        QCOMPARE(RegDeleteValue(run, "Vantora"), ERROR_SUCCESS);
        QVERIFY(!QFile::exists(autostartEntryPath()));
    }

    void otherValuesLeaveTheEntryAlone()
    {
        QCOMPARE(writeRunValue("SomethingElse", "/usr/bin/other"), ERROR_SUCCESS);
        HKEY key = 0;
        QCOMPARE(RegCreateKeyEx(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, &key, nullptr), ERROR_SUCCESS);
        QCOMPARE(RegSetValueEx(key, "Vantora", 0, REG_SZ, "/usr/bin/Vantora", 17), ERROR_SUCCESS);
        QVERIFY(!QFile::exists(autostartEntryPath()));
    }

    void aRefusedWriteLeavesTheEntryAlone()
    {
        QCOMPARE(writeRunValue("Vantora", "/usr/bin/Vantora"), ERROR_SUCCESS);
        HKEY readOnly = 0;
        QCOMPARE(RegOpenKeyEx(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, &readOnly), ERROR_SUCCESS);
        QCOMPARE(RegSetValueEx(readOnly, "Vantora", 0, REG_SZ, "", 1), ERROR_ACCESS_DENIED);
        QCOMPARE(entryKey("Exec"), QString("/usr/bin/Vantora"));
    }

    void execArgumentIsQuotedWhenNeeded_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/usr/bin/Vantora"
                               << "/usr/bin/Vantora";
        QTest::newRow("space") << "/opt/My Apps/Vantora"
                               << "\"/opt/My Apps/Vantora\"";
        QTest::newRow("dollar") << "/opt/a$b/Vantora"
                                << "\"/opt/a\\\\$b/Vantora\"";
        QTest::newRow("backslash") << "/opt/a\\b"
                                   << "\"/opt/a\\\\\\\\b\"";
        QTest::newRow("percent") << "/opt/100%/Vantora"
                                 << "/opt/100%%/Vantora";
        QTest::newRow("quote") << "/opt/say\"hi\"/V"
                               << "\"/opt/say\\\\\"hi\\\\\"/V\"";
    }
    void execArgumentIsQuotedWhenNeeded()
    {
        QFETCH(QString, path);
        QFETCH(QString, exec);
        QCOMPARE(desktopExecArgument(path), exec);
    }

    void execArgumentReadsBackAsThePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/usr/bin/Vantora";
        QTest::newRow("quote and space") << "/home/o'neil/My Apps/Vantora";
        QTest::newRow("shell characters") << "/x/$HOME/`id`/~user/(1);|&";
        QTest::newRow("percent") << "/x/100% sure/%f";
        QTest::newRow("backslash") << "/x/back\\slash/v";
        QTest::newRow("tab and line break") << "/x/tab\there/new\nline";
        QTest::newRow("double quotes") << "/x/\"quoted\"/v";
        QTest::newRow("non-ASCII") << QString::fromUtf8("/x/Zürich/v");
    }
    void execArgumentReadsBackAsThePath()
    {
        QFETCH(QString, path);
        QCOMPARE(writeRunValue("Vantora", path), ERROR_SUCCESS);
        QCOMPARE(launcherArgument(entryKey("Exec")), path);
    }
};

VANTORA_TEST_MAIN(TestAutostart)
#include "test_autostart.moc"
