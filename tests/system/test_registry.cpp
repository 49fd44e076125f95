#include "compat/win32/registry.h"
#include "tests/support/openwatch.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <cstdlib>

using namespace platform;

namespace {

struct Opened {
    qint32 result = -1;
    HKEY key = 0;
    quint32 disposition = 0;
};

Opened createKey(HKEY root, const QString& path, quint32 sam = KEY_ALL_ACCESS)
{
    Opened o;
    o.result = RegCreateKeyEx(root, path, 0, sam, &o.key, &o.disposition);
    return o;
}

Opened openKey(HKEY root, const QString& path, quint32 sam = KEY_ALL_ACCESS)
{
    Opened o;
    o.result = RegOpenKeyEx(root, path, 0, sam, &o.key);
    return o;
}

qint32 setBytes(HKEY key, const QString& name, quint32 type, const QByteArray& data)
{
    return RegSetValueEx(key, name, 0, type, data.constData(), static_cast<quint32>(data.size()));
}

qint32 setText(HKEY key, const QString& name, const QString& text)
{
    return setBytes(key, name, REG_SZ, text.toUtf8() + '\0');
}

qint32 setDword(HKEY key, const QString& name, quint32 number)
{
    const char bytes[4] = {static_cast<char>(number & 0xff), static_cast<char>((number >> 8) & 0xff),
                           static_cast<char>((number >> 16) & 0xff), static_cast<char>(number >> 24)};
    return RegSetValueEx(key, name, 0, REG_DWORD, bytes, 4);
}

struct Read {
    qint32 result = -1;
    quint32 type = 0;
    QByteArray data;
};

Read readValue(HKEY root, const QString& path, const QString& name)
{
    Read r;
    HKEY key = 0;
    r.result = RegOpenKeyEx(root, path, 0, KEY_READ, &key);
    if (r.result == ERROR_SUCCESS) {
        r.result = RegQueryValueEx(key, name, &r.type, &r.data);
        RegCloseKey(key);
    }
    return r;
}

QStringList subKeyNames(HKEY key)
{
    QStringList names;
    QString name;
    for (quint32 i = 0; RegEnumKey(key, i, &name) == ERROR_SUCCESS; ++i)
        names.append(name);
    return names;
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void appendToFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write(content);
}

// A copy of this test started as another process writing into the same registry.
const char* const kWriterVar = "VANTORA_TEST_REGISTRY_WRITER";
const char* const kConfigVar = "VANTORA_TEST_REGISTRY_CONFIG";
constexpr int kWritesPerProcess = 25;

[[noreturn]] void runAsWriter()
{
    qputenv("XDG_CONFIG_HOME", qgetenv(kConfigVar));
    const QString prefix = qEnvironmentVariable(kWriterVar);
    int failures = 0;
    for (int i = 0; i < kWritesPerProcess; ++i) {
        HKEY key = 0;
        failures += RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\VN", 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS;
        failures += setText(key, prefix + QString::number(i), "x") != ERROR_SUCCESS;
        RegCloseKey(key);
    }
    std::exit(failures == 0 ? 0 : 1);
}

} // namespace

class TestRegistry : public QObject {
    Q_OBJECT
public:
    TestRegistry()
    {
        if (qEnvironmentVariableIsSet(kWriterVar))
            runAsWriter();
    }

private slots:
    void init()
    {
        testsupport::environment().wipe();
        registryReloadForTests();
    }

    void createTellsNewFromExisting()
    {
        const Opened first = createKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN\\TimeConverter");
        QCOMPARE(first.result, ERROR_SUCCESS);
        QCOMPARE(first.disposition, REG_CREATED_NEW_KEY);
        QVERIFY(first.key != 0);
        const Opened parent = createKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN");
        QCOMPARE(parent.disposition, REG_OPENED_EXISTING_KEY);
        const Opened again = createKey(HKEY_LOCAL_MACHINE, "software\\vn\\timeconverter");
        QCOMPARE(again.result, ERROR_SUCCESS);
        QCOMPARE(again.disposition, REG_OPENED_EXISTING_KEY);
        QVERIFY(again.key != first.key);
        // Relative to an open key, as the program creates "TimeConverter" below "SOFTWARE\VN".
        const Opened child = createKey(parent.key, "Other");
        QCOMPARE(child.disposition, REG_CREATED_NEW_KEY);
        QCOMPARE(openKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN\\Other").result, ERROR_SUCCESS);
        for (HKEY key : {first.key, parent.key, again.key, child.key})
            QCOMPARE(RegCloseKey(key), ERROR_SUCCESS);
    }

    void openingAMissingKeyFails()
    {
        const Opened missing = openKey(HKEY_CURRENT_USER, "Software\\Nowhere");
        QCOMPARE(missing.result, ERROR_FILE_NOT_FOUND);
        QCOMPARE(missing.key, HKEY(0));
        QCOMPARE(openKey(0x80000005u, "Software").result, ERROR_INVALID_HANDLE);
    }

    void keysWindowsAlwaysHasCanBeOpened()
    {
        // The start-with-Windows and screensaver values are written into keys the program only opens.
        QCOMPARE(openKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", KEY_SET_VALUE).result,
                 ERROR_SUCCESS);
        QCOMPARE(openKey(HKEY_CURRENT_USER, "Control Panel\\Desktop", KEY_WRITE).result, ERROR_SUCCESS);
    }

    void subkeysAreEnumeratedByIndex()
    {
        for (const char* path : {"Zones\\Beta", "Zones\\alpha", "Zones\\Gamma", "Zones\\Beta\\Deep", "Zonesx"})
            QCOMPARE(createKey(HKEY_LOCAL_MACHINE, path).result, ERROR_SUCCESS);
        const Opened zones = openKey(HKEY_LOCAL_MACHINE, "Zones", KEY_READ);
        QCOMPARE(subKeyNames(zones.key), QStringList({"alpha", "Beta", "Gamma"}));
        QString name = "unchanged";
        QCOMPARE(RegEnumKey(zones.key, 3, &name), ERROR_NO_MORE_ITEMS);
        QCOMPARE(name, QString("unchanged"));
        QCOMPARE(RegEnumKey(zones.key, 1, &name), ERROR_SUCCESS);
        QCOMPARE(name, QString("Beta"));
        const Opened deep = openKey(HKEY_LOCAL_MACHINE, "Zones\\Beta\\Deep", KEY_READ);
        QCOMPARE(RegEnumKey(deep.key, 0, &name), ERROR_NO_MORE_ITEMS);
    }

    void missingValueIsNotFound()
    {
        const Opened key = createKey(HKEY_CURRENT_USER, "Control Panel\\Desktop");
        quint32 size = 512;
        char buffer[512];
        QCOMPARE(RegQueryValueEx(key.key, "SCRNSAVE.EXE", nullptr, buffer, &size), ERROR_FILE_NOT_FOUND);
        QByteArray data;
        QCOMPARE(RegQueryValueEx(key.key, "", nullptr, &data), ERROR_FILE_NOT_FOUND);
    }

    void textSizeCountsItsNul_data()
    {
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<quint32>("expectedSize");
        QTest::newRow("empty text") << QByteArray("", 1) << 1u;
        QTest::newRow("path") << QByteArray("C:\\Windows\\VN.scr", 18) << 18u;
        QTest::newRow("utf-8 text") << QByteArray("Zürich\0", 8) << 8u;
        QTest::newRow("written without NUL") << QByteArray("abc") << 4u;
        QTest::newRow("written with size 0") << QByteArray() << 1u;
    }
    void textSizeCountsItsNul()
    {
        QFETCH(QByteArray, written);
        QFETCH(quint32, expectedSize);
        const Opened key = createKey(HKEY_CURRENT_USER, "Control Panel\\Desktop");
        QCOMPARE(setBytes(key.key, "Value", REG_SZ, written), ERROR_SUCCESS);
        quint32 size = 12345;
        quint32 type = 0;
        QCOMPARE(RegQueryValueEx(key.key, "Value", &type, nullptr, &size), ERROR_SUCCESS);
        QCOMPARE(type, REG_SZ);
        QCOMPARE(size, expectedSize);
        QByteArray data;
        QCOMPARE(RegQueryValueEx(key.key, "Value", nullptr, &data), ERROR_SUCCESS);
        QVERIFY(data.endsWith('\0'));
    }

    void twoCallPatternAndTooSmallBuffer()
    {
        const Opened key = createKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN\\TimeConverter");
        QCOMPARE(setText(key.key, "DefaultSourceZone", "W. Europe Standard Time"), ERROR_SUCCESS);
        quint32 size = 0;
        QCOMPARE(RegQueryValueEx(key.key, "DefaultSourceZone", nullptr, nullptr, &size), ERROR_SUCCESS);
        QCOMPARE(size, 24u);

        QByteArray small(10, 'x');
        size = 10;
        QCOMPARE(RegQueryValueEx(key.key, "DefaultSourceZone", nullptr, small.data(), &size), ERROR_MORE_DATA);
        QCOMPARE(size, 24u);

        QByteArray exact(24, 'x');
        QCOMPARE(RegQueryValueEx(key.key, "DefaultSourceZone", nullptr, exact.data(), &size), ERROR_SUCCESS);
        QCOMPARE(exact, QByteArray("W. Europe Standard Time", 24));

        QByteArray roomy(512, ' ');
        size = 512;
        QCOMPARE(RegQueryValueEx(key.key, "DefaultSourceZone", nullptr, roomy.data(), &size), ERROR_SUCCESS);
        QCOMPARE(size, 24u);
        QCOMPARE(roomy.left(24), exact);
        QCOMPARE(roomy.at(24), ' ');

        QCOMPARE(RegQueryValueEx(key.key, "DefaultSourceZone", nullptr, roomy.data(), nullptr),
                 ERROR_INVALID_PARAMETER);
    }

    void dwordSurvivesARestart_data()
    {
        QTest::addColumn<quint32>("number");
        QTest::newRow("zero") << 0u;
        QTest::newRow("thirty") << 30u;
        QTest::newRow("top bit") << 0x80000000u;
        QTest::newRow("all bits") << 0xffffffffu;
    }
    void dwordSurvivesARestart()
    {
        QFETCH(quint32, number);
        QCOMPARE(setDword(createKey(HKEY_CURRENT_USER, "Software\\VN").key, "Number", number), ERROR_SUCCESS);
        registryReloadForTests();
        const Read read = readValue(HKEY_CURRENT_USER, "Software\\VN", "Number");
        QCOMPARE(read.result, ERROR_SUCCESS);
        QCOMPARE(read.type, REG_DWORD);
        QCOMPARE(read.data.size(), 4);
        const auto* b = reinterpret_cast<const quint8*>(read.data.constData());
        QCOMPARE(quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24, number);
    }

    void valuesKeepTheirExactBytesAcrossARestart_data()
    {
        QTest::addColumn<quint32>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("binary with NUL and 0xff") << REG_BINARY << QByteArray("\x01\x00\xff\x7f", 4);
        QTest::newRow("empty binary") << REG_BINARY << QByteArray();
        QTest::newRow("172-byte zone record") << REG_BINARY << QByteArray(172, '\x9c');
        QTest::newRow("text with quote and backslash") << REG_SZ << QByteArray("say \"C:\\\"", 10);
        QTest::newRow("text with line break") << REG_SZ << QByteArray("two\nlines", 10);
        QTest::newRow("text with inner NUL") << REG_SZ << QByteArray("a\0b\0", 4);
        QTest::newRow("text not UTF-8") << REG_SZ << QByteArray("caf\xe9", 5);
        QTest::newRow("unusual type") << 7u << QByteArray("a\0b\0\0", 5);
        QTest::newRow("short dword") << REG_DWORD << QByteArray("\x01\x02", 2);
    }
    void valuesKeepTheirExactBytesAcrossARestart()
    {
        QFETCH(quint32, type);
        QFETCH(QByteArray, data);
        QCOMPARE(setBytes(createKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN").key, "Blob", type, data), ERROR_SUCCESS);
        registryReloadForTests();
        const Read read = readValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN", "Blob");
        QCOMPARE(read.result, ERROR_SUCCESS);
        QCOMPARE(read.type, type);
        QCOMPARE(read.data, data);
    }

    void restartKeepsKeysValuesAndReadableFiles()
    {
        const Opened vn = createKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN");
        QCOMPARE(setText(vn.key, "", "Orvane's Applications"), ERROR_SUCCESS);
        const Opened tc = createKey(vn.key, "TimeConverter");
        QCOMPARE(setText(tc.key, "DefaultSourceZone", "W. Europe Standard Time"), ERROR_SUCCESS);
        QCOMPARE(setDword(tc.key, "Count", 30), ERROR_SUCCESS);
        QCOMPARE(setBytes(tc.key, "Raw", REG_BINARY, QByteArray("\x01\x02", 2)), ERROR_SUCCESS);
        QCOMPARE(createKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Empty").result, ERROR_SUCCESS);
        QCOMPARE(setText(createKey(HKEY_CURRENT_USER, "Control Panel\\Desktop").key, "ScreenSaverIsSecure", "1"),
                 ERROR_SUCCESS);
        QCOMPARE(RegFlushKey(tc.key), ERROR_SUCCESS);

        registryReloadForTests();
        // Handles do not outlive a restart.
        QCOMPARE(RegFlushKey(tc.key), ERROR_INVALID_HANDLE);
        QCOMPARE(readValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN", "").data, QByteArray("Orvane's Applications", 22));
        QCOMPARE(readValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN\\TimeConverter", "DefaultSourceZone").data,
                 QByteArray("W. Europe Standard Time", 24));
        QCOMPARE(readValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaverIsSecure").data,
                 QByteArray("1", 2));
        QCOMPARE(openKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Empty").result, ERROR_SUCCESS);
        // The machine values are not in the user file.
        QCOMPARE(readValue(HKEY_CURRENT_USER, "SOFTWARE\\VN", "").result, ERROR_FILE_NOT_FOUND);

        const QByteArray text = fileContent(registryFilePath(HKEY_LOCAL_MACHINE));
        QVERIFY(registryFilePath(HKEY_LOCAL_MACHINE).startsWith(testsupport::environment().configHome()));
        QVERIFY(text.startsWith("REGEDIT4\n"));
        QVERIFY(text.contains("[HKEY_LOCAL_MACHINE\\SOFTWARE\\VN\\TimeConverter]\n"));
        QVERIFY(text.contains("@=\"Orvane's Applications\"\n"));
        QVERIFY(text.contains("\"DefaultSourceZone\"=\"W. Europe Standard Time\"\n"));
        QVERIFY(text.contains("\"Count\"=dword:0000001e\n"));
        QVERIFY(text.contains("\"Raw\"=hex:01,02\n"));
    }

    void namesCompareWithoutCaseAndKeepTheirCase()
    {
        const Opened key = createKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN\\TimeConverter");
        QCOMPARE(setText(key.key, "DefaultTargetZone", "Tokyo Standard Time"), ERROR_SUCCESS);
        QCOMPARE(setText(key.key, "DEFAULTTARGETZONE", "GMT Standard Time"), ERROR_SUCCESS);
        registryReloadForTests();
        QCOMPARE(readValue(HKEY_LOCAL_MACHINE, "software\\vn\\TIMECONVERTER", "defaulttargetzone").data,
                 QByteArray("GMT Standard Time", 18));
        const Opened vn = openKey(HKEY_LOCAL_MACHINE, "Software\\Vn", KEY_READ);
        QCOMPARE(subKeyNames(vn.key), QStringList({"TimeConverter"}));
        // A value set again under another case is one value, not two, and keeps its first name.
        const QByteArray text = fileContent(registryFilePath(HKEY_LOCAL_MACHINE));
        QCOMPARE(text.toLower().count("targetzone\"="), 1);
        QVERIFY(text.contains("\"DefaultTargetZone\"=\"GMT Standard Time\""));
    }

    void deletingAValue()
    {
        const Opened key = createKey(HKEY_CURRENT_USER, "Software\\VN");
        QCOMPARE(setText(key.key, "Gone", "x"), ERROR_SUCCESS);
        QCOMPARE(RegDeleteValue(key.key, "GONE"), ERROR_SUCCESS);
        QCOMPARE(readValue(HKEY_CURRENT_USER, "Software\\VN", "Gone").result, ERROR_FILE_NOT_FOUND);
        QCOMPARE(RegDeleteValue(key.key, "Gone"), ERROR_FILE_NOT_FOUND);
    }

    void callsNeedTheRightsTheKeyWasOpenedWith()
    {
        QCOMPARE(createKey(HKEY_CURRENT_USER, "Software\\VN").result, ERROR_SUCCESS);
        const Opened reading = openKey(HKEY_CURRENT_USER, "Software\\VN", KEY_READ);
        QCOMPARE(setText(reading.key, "Name", "x"), ERROR_ACCESS_DENIED);
        QCOMPARE(RegDeleteValue(reading.key, "Name"), ERROR_ACCESS_DENIED);
        QCOMPARE(createKey(reading.key, "Child").result, ERROR_ACCESS_DENIED);
        const Opened writing = openKey(HKEY_CURRENT_USER, "Software\\VN", KEY_SET_VALUE);
        QCOMPARE(setText(writing.key, "Name", "x"), ERROR_SUCCESS);
        QByteArray data;
        QCOMPARE(RegQueryValueEx(writing.key, "Name", nullptr, &data), ERROR_ACCESS_DENIED);
        QString name;
        QCOMPARE(RegEnumKey(writing.key, 0, &name), ERROR_ACCESS_DENIED);
        // The value was not written through the refused handle.
        QCOMPARE(readValue(HKEY_CURRENT_USER, "Software\\VN", "Name").data, QByteArray("x", 2));
    }

    void closedAndUnknownHandlesAreInvalid()
    {
        const Opened key = createKey(HKEY_CURRENT_USER, "Software\\VN");
        QCOMPARE(RegCloseKey(key.key), ERROR_SUCCESS);
        QCOMPARE(RegCloseKey(key.key), ERROR_INVALID_HANDLE);
        QCOMPARE(setText(key.key, "Name", "x"), ERROR_INVALID_HANDLE);
        QCOMPARE(RegFlushKey(0), ERROR_INVALID_HANDLE);
        QCOMPARE(RegCloseKey(0), ERROR_INVALID_HANDLE);
        QCOMPARE(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    }

    void namesWithControlCharactersAreRefused()
    {
        const Opened key = createKey(HKEY_CURRENT_USER, "Software\\VN");
        QCOMPARE(setText(key.key, "two\nlines", "x"), ERROR_INVALID_PARAMETER);
        QCOMPARE(createKey(HKEY_CURRENT_USER, "Software\\bad\nkey").result, ERROR_INVALID_PARAMETER);
        QCOMPARE(RegSetValueEx(key.key, "Name", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
    }

    void aDamagedFileLoadsWhatItCan()
    {
        QDir().mkpath(QFileInfo(registryFilePath(HKEY_LOCAL_MACHINE)).absolutePath());
        writeFile(registryFilePath(HKEY_LOCAL_MACHINE),
                  "REGEDIT4\r\n"
                  "\"Orphan\"=\"before any key\"\r\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VN]\r\n"
                  "@=\"Orvane's Applications\"\r\n"
                  "\"Unclosed\"=\"no end quote\r\n"
                  "\"BadHex\"=hex:01,zz,03\r\n"
                  "\"TooLong\"=dword:123456789\r\n"
                  "\"NoEquals\" \"x\"\r\n"
                  "garbage \x01\xff\xfe line\r\n"
                  "\"Good\"=dword:0000002a\r\n"
                  "\"Wrapped\"=hex:01,02,\\\r\n"
                  "  03,04\r\n"
                  "[HKEY_CURRENT_USER\\Elsewhere]\r\n"
                  "\"Foreign\"=\"other root\"\r\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Broken\r\n"
                  "\"Lost\"=\"under a broken header\"\r\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Cut]\r\n"
                  "\"Half\"=hex:0");
        QCOMPARE(readValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN", "").data, QByteArray("Orvane's Applications", 22));
        QCOMPARE(readValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN", "Good").data, QByteArray("\x2a\0\0\0", 4));
        QCOMPARE(readValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN", "Wrapped").data, QByteArray("\x01\x02\x03\x04", 4));
        QCOMPARE(readValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Cut", "Half").data, QByteArray("\0", 1));
        for (const char* name : {"Orphan", "Unclosed", "BadHex", "TooLong", "NoEquals", "Foreign", "Lost"})
            QCOMPARE(readValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN", name).result, ERROR_FILE_NOT_FOUND);
        QCOMPARE(openKey(HKEY_LOCAL_MACHINE, "Elsewhere").result, ERROR_FILE_NOT_FOUND);
        QCOMPARE(openKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Broken").result, ERROR_FILE_NOT_FOUND);

        // Writing again keeps the good part and drops the damage.
        QCOMPARE(setText(openKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN").key, "New", "v"), ERROR_SUCCESS);
        registryReloadForTests();
        QCOMPARE(readValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN", "Good").result, ERROR_SUCCESS);
        QVERIFY(!fileContent(registryFilePath(HKEY_LOCAL_MACHINE)).contains("garbage"));
    }

    void aFileOfNoiseGivesAnEmptyRegistry()
    {
        QDir().mkpath(QFileInfo(registryFilePath(HKEY_CURRENT_USER)).absolutePath());
        QByteArray noise;
        for (int i = 0; i < 4096; ++i)
            noise.append(static_cast<char>((i * 7919 + 13) % 256));
        writeFile(registryFilePath(HKEY_CURRENT_USER), noise);
        const Opened root = openKey(HKEY_CURRENT_USER, "", KEY_READ);
        QCOMPARE(root.result, ERROR_SUCCESS);
        QCOMPARE(subKeyNames(root.key), QStringList({"Control Panel", "Software"}));
        QCOMPARE(setText(createKey(HKEY_CURRENT_USER, "Software\\VN").key, "After", "ok"), ERROR_SUCCESS);
    }

    void readsSeeWhatAnotherProcessWrote()
    {
        QCOMPARE(setText(createKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN").key, "Mine", "1"), ERROR_SUCCESS);
        QCOMPARE(readValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Theirs", "Value").result, ERROR_FILE_NOT_FOUND);
        appendToFile(registryFilePath(HKEY_LOCAL_MACHINE), "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Theirs]\n\"Value\"=\"2\"\n");
        QCOMPARE(readValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Theirs", "Value").data, QByteArray("2", 2));
    }

    void aWriteKeepsWhatAnotherProcessWrote()
    {
        const Opened key = createKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN");
        QCOMPARE(setText(key.key, "Mine", "1"), ERROR_SUCCESS);
        // Another process writes after this one last looked at the file.
        appendToFile(registryFilePath(HKEY_LOCAL_MACHINE), "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Theirs]\n\"Value\"=\"2\"\n");
        QCOMPARE(setText(key.key, "Mine", "3"), ERROR_SUCCESS);
        registryReloadForTests();
        QCOMPARE(readValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Theirs", "Value").data, QByteArray("2", 2));
        QCOMPARE(readValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN", "Mine").data, QByteArray("3", 2));
    }

    void aBatchWritesItsChangesOnceAndKeepsWhatWasThere()
    {
        QCOMPARE(setText(createKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Theirs").key, "Value", "2"), ERROR_SUCCESS);
        const QString file = registryFilePath(HKEY_LOCAL_MACHINE);
        const int writesBefore = testsupport::timesReplaced(file);
        {
            const RegistryWriteBatch batch;
            const Opened vn = createKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN");
            QCOMPARE(vn.disposition, REG_CREATED_NEW_KEY);
            QCOMPARE(setText(vn.key, QString(), "maker"), ERROR_SUCCESS);
            const Opened converter = createKey(vn.key, "TimeConverter");
            QCOMPARE(converter.disposition, REG_CREATED_NEW_KEY);
            // Seen at once by this process, not yet written.
            QCOMPARE(readValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN", QString()).data, QByteArray("maker", 6));
            QCOMPARE(testsupport::timesReplaced(file), writesBefore);
            RegCloseKey(converter.key);
            RegCloseKey(vn.key);
        }
        QCOMPARE(testsupport::timesReplaced(file) - writesBefore, 1);
        registryReloadForTests();
        QCOMPARE(readValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN", QString()).data, QByteArray("maker", 6));
        QCOMPARE(openKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\VN\\TimeConverter").result, ERROR_SUCCESS);
        QCOMPARE(readValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Theirs", "Value").data, QByteArray("2", 2));
    }

    void twoProcessesWritingAtOnceLoseNothing()
    {
        QCOMPARE(createKey(HKEY_CURRENT_USER, "Software\\VN").result, ERROR_SUCCESS);
        QProcess first, second;
        startWriter(first, "first");
        startWriter(second, "second");
        for (QProcess* writer : {&first, &second}) {
            QVERIFY(writer->waitForFinished(60000));
            QCOMPARE(writer->exitStatus(), QProcess::NormalExit);
            QCOMPARE(writer->exitCode(), 0);
        }
        for (const char* prefix : {"first", "second"})
            for (int i = 0; i < kWritesPerProcess; ++i)
                QCOMPARE(readValue(HKEY_CURRENT_USER, "Software\\VN", prefix + QString::number(i)).result,
                         ERROR_SUCCESS);
    }

private:
    void startWriter(QProcess& process, const QString& prefix)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kWriterVar, prefix);
        env.insert(kConfigVar, testsupport::environment().configHome());
        process.setProcessEnvironment(env);
        process.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(process.waitForStarted(10000));
    }
};

VANTORA_TEST_MAIN(TestRegistry)
#include "test_registry.moc"
