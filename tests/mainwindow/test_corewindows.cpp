#include "core/datalist.h"
#include "core/registrymod.h"
#include "core/sysmod.h"
#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "mainwindow/frmeula.h"
#include "compat/vb/conversions.h"
#include "platform/system/paths.h"
#include "compat/win32/registry.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QFile>
#include <QTest>
#include <QWindow>

using testsupport::Form1Fixture;

namespace {

const QString kKey = QStringLiteral("SOFTWARE\\VN\\Test");

QByteArray valueBytes(const QString& name, quint32* type = nullptr)
{
    platform::HKEY key = 0;
    if (platform::RegOpenKeyEx(platform::HKEY_CURRENT_USER, kKey, 0, platform::KEY_QUERY_VALUE, &key) != 0)
        return "<no key>";
    QByteArray data;
    quint32 t = 0;
    const qint32 rc = platform::RegQueryValueEx(key, name, &t, &data);
    platform::RegCloseKey(key);
    if (type)
        *type = t;
    return rc == 0 ? data : QByteArray("<no value>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestCoreWindows : public QObject {
    Q_OBJECT
private slots:
    void setOnTopMapsModesToTheStackingOrder()
    {
        Form1Fixture f;
        QWidget w;
        SetOnTop(&w, -1);
        SetOnTop(&w, 1);
        SetOnTop(&w, 0);
        SetOnTop(&w, 5);
        QCOMPARE(f.windows().calls().size(), 4);
        QCOMPARE(f.windows().calls()[0].order, platform::ZOrder::TopMost);
        QCOMPARE(f.windows().calls()[1].order, platform::ZOrder::Top); // raised, not made top-most
        QCOMPARE(f.windows().calls()[2].order, platform::ZOrder::NotTopMost);
        QCOMPARE(f.windows().calls()[3].order, platform::ZOrder::Top);
        QVERIFY(w.isVisible());
    }

    void theClockDigitsHaveTheirDesignSize()
    {
        Form1Fixture f;
        Form1* w = f.loadForm1();
        for (int i = 0; i < 6; ++i)
            QCOMPARE(w->findChild<QWidget*>(QString("LED1_%1").arg(i))->size(), QSize(30, 39));
    }

    void theRealStackingCallKeepsPlaceAndSize()
    {
        platform::setWindowSystem(nullptr);
        QWidget w;
        w.setGeometry(140, 90, 200, 119);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        QTRY_VERIFY(w.isActiveWindow());
        const QPoint placed = w.pos();
        // The state changes on the existing native window: it is not re-created
        // (which would hide it and take its focus).
        QWindow* const handle = w.windowHandle();
        const WId id = w.winId();
        SetOnTop(&w, -1);
        QVERIFY(w.isVisible());
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(handle->flags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(w.windowHandle(), handle);
        QCOMPARE(w.winId(), id);
        QVERIFY(w.isActiveWindow());
        QCOMPARE(w.size(), QSize(200, 119));
        QCOMPARE(w.pos(), placed);
        SetOnTop(&w, 1); // the top of its layer: still top-most
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        SetOnTop(&w, 0);
        QVERIFY(!w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!handle->flags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(w.winId(), id);
        QVERIFY(w.isActiveWindow());
        QCOMPARE(w.pos(), placed);
        SetOnTop(&w, 1);
        QVERIFY(!w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QWidget hidden;
        SetOnTop(&hidden, 0);
        QVERIFY(hidden.isVisible());
    }

    void registryModuleWritesTextAndNumbers()
    {
        Form1Fixture f;
        platform::HKEY key = 0;
        quint32 disposition = 0;
        QCOMPARE(platform::RegCreateKeyEx(platform::HKEY_CURRENT_USER, kKey, 0, platform::KEY_ALL_ACCESS, &key,
                                          &disposition),
                 0);
        platform::RegCloseKey(key);

        quint32 type = 0;
        Registry::SetKeyValue(platform::HKEY_CURRENT_USER, kKey, "Text", QString("C:\\VN"), 1);
        QCOMPARE(valueBytes("Text", &type), QByteArray("C:\\VN\0", 6));
        QCOMPARE(type, platform::REG_SZ);
        Registry::SetKeyValue(platform::HKEY_CURRENT_USER, kKey, "Text", QString(), 1);
        QCOMPARE(valueBytes("Text"), QByteArray("\0", 1));
        Registry::SetKeyValue(platform::HKEY_CURRENT_USER, kKey, "Number", QString("300"), 4);
        QCOMPARE(valueBytes("Number", &type), QByteArray("\x2c\x01\0\0", 4));
        QCOMPARE(type, platform::REG_DWORD);
        Registry::SetKeyValue(platform::HKEY_CURRENT_USER, kKey, "Other", QString("x"), 3);
        QCOMPARE(valueBytes("Other"), QByteArray("<no value>"));
        // A number that does not convert writes nothing and raises nothing.
        Registry::SetKeyValue(platform::HKEY_CURRENT_USER, kKey, "Bad", QString("abc"), 4);
        QCOMPARE(valueBytes("Bad"), QByteArray("<no value>"));
        // A key that cannot be opened is silently skipped.
        Registry::SetKeyValue(platform::HKEY_CURRENT_USER, "SOFTWARE\\Missing", "X", QString("y"), 1);
    }

    void factoryTable()
    {
        QCOMPARE(DataList::factoryName(0), QString());
        QCOMPARE(DataList::factoryName(10), QString("-"));
        QCOMPARE(DataList::factoryURL(10), QString());
        QCOMPARE(DataList::factoryName(11), QString("MP3 - MPG - MPEG - AVI - WMV"));
        for (int slot = 1; slot <= 9; ++slot)
            QVERIFY(DataList::factoryURL(slot).startsWith("http"));
        QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, DataList::factoryName(13));
        QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, DataList::factoryURL(-1));
        DataList::InitDefRadio();
        QCOMPARE(DefStation, QString("2"));
    }

    void licenceTextLinesEndInCrLf_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("text");
        QTest::newRow("crlf") << QByteArray("one\r\ntwo\r\n") << "one\r\ntwo\r\n";
        QTest::newRow("no final line end") << QByteArray("one\r\ntwo") << "one\r\ntwo\r\n";
        QTest::newRow("lf only") << QByteArray("one\ntwo\n") << "one\r\ntwo\r\n";
        QTest::newRow("blank line kept") << QByteArray("one\r\n\r\ntwo") << "one\r\n\r\ntwo\r\n";
        QTest::newRow("empty") << QByteArray() << "";
    }
    void licenceTextLinesEndInCrLf()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, text);
        Form1Fixture f;
        writeFile(platform::appPath() + "/eula.txt", file);
        QCOMPARE(readEulaText(platform::appPath() + "/eula.txt"), text);
    }

    void aMissingLicenceShowsEmpty()
    {
        Form1Fixture f;
        QCOMPARE(readEulaText(platform::appPath() + "/eula.txt"), QString());
    }

    void theLicenceViewerOpensFromTheMenu()
    {
        Form1Fixture f;
        writeFile(platform::appPath() + "/eula.txt", "Terms\r\n");
        appWindows().form1();
        appWindows().loadedForm1()->sEula_Click();
        frmEULA2* viewer = appWindows().licenceViewer();
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->text(), QString("Terms\r\n"));
        QCOMPARE(viewer->windowTitle(), QString("Vantora - v 2.9.0 - End-User License Agreement"));
        QCOMPARE(f.windows().calls().last().order, platform::ZOrder::TopMost);
        appWindows().unloadAll();
    }
};

VANTORA_TEST_MAIN(TestCoreWindows)
#include "test_corewindows.moc"
