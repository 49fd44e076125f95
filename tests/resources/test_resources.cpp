#include "resources/resourceids.h"
#include "tests/resources/zipreader.h"
#include "resources/resources.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QtEndian>

using platform::loadBitmap;
using platform::loadResource;

namespace {

QByteArray custom(int id) { return loadResource(QString::fromLatin1(resid::TypeCustom), id); }

// The fields of a canonical 44-byte PCM WAV header, or an explanation why
// the bytes are not one.
struct Wav {
    QString error;
    quint16 format = 0, channels = 0, bits = 0, blockAlign = 0;
    quint32 rate = 0, byteRate = 0, dataBytes = 0;
    const uchar* samples = nullptr;
};

Wav parseWav(const QByteArray& bytes)
{
    Wav w;
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    if (bytes.size() < 44 || !bytes.startsWith("RIFF") || bytes.mid(8, 8) != "WAVEfmt " || bytes.mid(36, 4) != "data") {
        w.error = QStringLiteral("not a canonical RIFF/WAVE file");
        return w;
    }
    if (qFromLittleEndian<quint32>(p + 4) != quint32(bytes.size() - 8))
        w.error = QStringLiteral("RIFF size does not match the file");
    if (qFromLittleEndian<quint32>(p + 16) != 16)
        w.error = QStringLiteral("format chunk is not 16 bytes");
    w.format = qFromLittleEndian<quint16>(p + 20);
    w.channels = qFromLittleEndian<quint16>(p + 22);
    w.rate = qFromLittleEndian<quint32>(p + 24);
    w.byteRate = qFromLittleEndian<quint32>(p + 28);
    w.blockAlign = qFromLittleEndian<quint16>(p + 32);
    w.bits = qFromLittleEndian<quint16>(p + 34);
    w.dataBytes = qFromLittleEndian<quint32>(p + 40);
    if (w.dataBytes != quint32(bytes.size() - 44))
        w.error = QStringLiteral("data size does not match the file");
    w.samples = p + 44;
    return w;
}

qint16 sample(const Wav& w, quint32 i) { return qFromLittleEndian<qint16>(w.samples + 2 * i); }

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestResources : public QObject {
    Q_OBJECT
private slots:
    void customResourcesArePresent_data()
    {
        QTest::addColumn<int>("id");
        QTest::newRow("alarm 1") << resid::SoundAlarm1;
        QTest::newRow("alarm 2") << resid::SoundAlarm2;
        QTest::newRow("hourly beep") << resid::SoundHourBeep;
        QTest::newRow("licence") << resid::LicenceText;
        QTest::newRow("screensaver") << resid::SaverProgram;
        QTest::newRow("help archive") << resid::HelpArchive;
    }
    void customResourcesArePresent()
    {
        QFETCH(int, id);
        QVERIFY(!custom(id).isEmpty());
    }

    void typesAreMatchedWithoutCaseAndOthersRefused()
    {
        QCOMPARE(loadResource(QStringLiteral("custom"), resid::SoundAlarm1), custom(resid::SoundAlarm1));
        QVERIFY(loadResource(QStringLiteral("ICON"), resid::SoundAlarm1).isEmpty());
        QVERIFY(loadResource(QStringLiteral("../CUSTOM"), resid::SoundAlarm1).isEmpty());
        QVERIFY(loadResource(QString(), resid::SoundAlarm1).isEmpty());
        QVERIFY(custom(999).isEmpty());
        QVERIFY(custom(-101).isEmpty());
        QVERIFY(loadBitmap(999).isNull());
    }

    void soundsArePcmWaves_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<double>("minSeconds");
        QTest::addColumn<double>("maxSeconds");
        QTest::newRow("alarm 1") << resid::SoundAlarm1 << 0.5 << 0.9;
        QTest::newRow("alarm 2") << resid::SoundAlarm2 << 0.5 << 0.9;
        QTest::newRow("hourly beep") << resid::SoundHourBeep << 0.15 << 0.35;
    }
    void soundsArePcmWaves()
    {
        QFETCH(int, id);
        QFETCH(double, minSeconds);
        QFETCH(double, maxSeconds);
        const QByteArray bytes = custom(id);
        const Wav w = parseWav(bytes);
        QVERIFY2(w.error.isEmpty(), qPrintable(w.error));
        QCOMPARE(w.format, quint16(1));
        QCOMPARE(w.channels, quint16(1));
        QCOMPARE(w.bits, quint16(16));
        QCOMPARE(w.rate, quint32(22050));
        QCOMPARE(w.byteRate, w.rate * 2);
        QCOMPARE(w.blockAlign, quint16(2));
        QCOMPARE(w.dataBytes % 2, quint32(0));
        const quint32 count = w.dataBytes / 2;
        const double seconds = double(count) / w.rate;
        QVERIFY2(seconds >= minSeconds && seconds <= maxSeconds, qPrintable(QString::number(seconds)));

        // Audible, not clipped, and silent at both ends so that repeating it does not click.
        int peak = 0;
        for (quint32 i = 0; i < count; ++i)
            peak = qMax(peak, qAbs(int(sample(w, i))));
        QVERIFY2(peak > 8000, qPrintable(QString::number(peak)));
        QVERIFY(peak < 32767);
        QVERIFY(qAbs(int(sample(w, 0))) < 500);
        QVERIFY(qAbs(int(sample(w, count - 1))) < 500);
    }

    void theAlarmSoundsDiffer() { QVERIFY(custom(resid::SoundAlarm1) != custom(resid::SoundAlarm2)); }

    void licenceHasCrLfLines()
    {
        const QByteArray text = custom(resid::LicenceText);
        QVERIFY(text.endsWith("\r\n"));
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == '\n')
                QVERIFY2(i > 0 && text[i - 1] == '\r', qPrintable(QString("bare LF at %1").arg(i)));
            if (text[i] == '\r')
                QVERIFY2(i + 1 < text.size() && text[i + 1] == '\n', qPrintable(QString("bare CR at %1").arg(i)));
        }
        const qsizetype lines = text.count("\r\n");
        QVERIFY2(lines >= 40 && lines <= 80, qPrintable(QString::number(lines)));
        QVERIFY(text.contains("Vantora"));
        QVERIFY(text.contains("VN"));
        QVERIFY(text.startsWith("VANTORA END-USER LICENSE AGREEMENT"));
    }

    void screensaverIsTheBuiltProgram()
    {
        const QByteArray built = fileBytes(QStringLiteral(VANTORA_VN_FILE));
        QVERIFY(!built.isEmpty());
        QVERIFY(custom(resid::SaverProgram) == built);
    }

    void carriesNoUnzipLibrary()
    {
        // The unzip library is linked in: nothing is written out and loaded.
        QVERIFY(custom(107).isEmpty());
    }

    void helpArchiveHoldsThePageAndEverythingItLinks()
    {
        const ZipReader zip(custom(resid::HelpArchive));
        QVERIFY(zip.isOpen());
        const QStringList names = zip.names();
        QVERIFY2(names.contains("VN.htm"), qPrintable(names.join(", ")));
        QVERIFY(names.contains("VN_files/"));
        QVERIFY(names.contains("VN_files/style.css"));

        const QString page = QString::fromUtf8(zip.read("VN.htm"));
        QVERIFY(page.contains("<title>Vantora Help</title>"));
        static const QRegularExpression link(QStringLiteral("(?:src|href)=\"(VN_files/[^\"]+)\""));
        int links = 0;
        for (auto it = link.globalMatch(page); it.hasNext(); ++links) {
            const QString target = it.next().captured(1);
            QVERIFY2(names.contains(target), qPrintable("missing " + target));
            if (target.endsWith(".png"))
                QVERIFY2(!QImage::fromData(zip.read(target), "PNG").isNull(), qPrintable("unreadable " + target));
        }
        QVERIFY(links >= 10);

        // Every anchor the page links to exists on the page.
        static const QRegularExpression anchor(QStringLiteral("href=\"#([^\"]+)\""));
        for (auto it = anchor.globalMatch(page); it.hasNext();) {
            const QString id = it.next().captured(1);
            QVERIFY2(page.contains(QStringLiteral("id=\"%1\"").arg(id)), qPrintable("no anchor " + id));
        }
    }

    void helpPageCoversTheToolsMenu_data()
    {
        QTest::addColumn<QString>("topic");
        for (const char* topic :
             {"Snooze", "Beep on Hours", "Display Date", "Always Visible", "Automatically run at Startup",
              "Set Time Zone", "NTP Auto-Synchronise", "Add Reminder", "Reminders Editor", "Play Default Radio",
              "Online Radio List", "Check for VN Updates", "Send me your comments", "Preview VN Screen Saver",
              "VN Screen Saver Settings", "Reset All VN Settings", "~/.local/share/Vantora/program"})
            QTest::newRow(topic) << QString::fromLatin1(topic);
    }
    void helpPageCoversTheToolsMenu()
    {
        QFETCH(QString, topic);
        const ZipReader zip(custom(resid::HelpArchive));
        QVERIFY(QString::fromUtf8(zip.read("VN.htm")).contains(topic));
    }

    void bitmapsHaveTheirSizes_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QSize>("size");
        const QSize icon(16, 16);
        QTest::newRow("indicator off") << resid::BmpIndicatorOff << QSize(25, 7);
        QTest::newRow("indicator on") << resid::BmpIndicatorOn << QSize(25, 7);
        QTest::newRow("colon at rest") << resid::BmpColonRest << QSize(8, 39);
        QTest::newRow("colon static") << resid::BmpColonStatic << QSize(8, 39);
        QTest::newRow("colon lit") << resid::BmpColonLit << QSize(8, 39);
        for (int id : {resid::BmpNtpDark, resid::BmpNtpConnecting, resid::BmpNtpClosed, resid::BmpNtpPending})
            QTest::addRow("time server %d", id) << id << QSize(32, 32);
        for (int id : {resid::BmpAlarmOn, resid::BmpHourBeep, resid::BmpSnoozeMark, resid::BmpSnoozeClock,
                       resid::BmpRadio, resid::BmpRadioAlarm, resid::BmpBusyRest, resid::BmpBusy1, resid::BmpBusy2,
                       resid::BmpNtpSync1, resid::BmpNtpSync2, resid::BmpUpdate1, resid::BmpUpdate2})
            QTest::addRow("status %d", id) << id << icon;
        QTest::newRow("icon 32") << resid::BmpProgramIcon32 << QSize(32, 32);
        QTest::newRow("icon 16") << resid::BmpProgramIcon16 << QSize(16, 16);
    }
    void bitmapsHaveTheirSizes()
    {
        QFETCH(int, id);
        QFETCH(QSize, size);
        const QPixmap pixmap = loadBitmap(id);
        QVERIFY(!pixmap.isNull());
        QCOMPARE(pixmap.size(), size);
    }

    void statusPicturesAreDrawnOnTransparency_data() { bitmapsHaveTheirSizes_data(); }
    void statusPicturesAreDrawnOnTransparency()
    {
        QFETCH(int, id);
        if (id == resid::BmpIndicatorOff || id == resid::BmpIndicatorOn)
            return; // the indicator bars are solid
        const QImage image = loadBitmap(id).toImage().convertToFormat(QImage::Format_ARGB32);
        int clear = 0, solid = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const int alpha = qAlpha(image.pixel(x, y));
                clear += alpha == 0;
                solid += alpha == 255;
            }
        QVERIFY(clear > 0);
        QVERIFY(solid > 0);
    }

    void animationFramesDiffer_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::newRow("busy") << resid::BmpBusy1 << resid::BmpBusy2;
        QTest::newRow("busy at rest") << resid::BmpBusyRest << resid::BmpBusy1;
        QTest::newRow("time sync") << resid::BmpNtpSync1 << resid::BmpNtpSync2;
        QTest::newRow("update") << resid::BmpUpdate1 << resid::BmpUpdate2;
        QTest::newRow("indicator") << resid::BmpIndicatorOff << resid::BmpIndicatorOn;
        QTest::newRow("time server lit") << resid::BmpNtpConnecting << resid::BmpNtpClosed;
        QTest::newRow("time server dark") << resid::BmpNtpDark << resid::BmpNtpPending;
        QTest::newRow("seconds colon") << resid::BmpColonRest << resid::BmpColonLit;
    }
    void animationFramesDiffer()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        const QImage a = loadBitmap(first).toImage(), b = loadBitmap(second).toImage();
        QCOMPARE(a.size(), b.size());
        QVERIFY(a != b);
    }

    void secondsColonIsGreyAtRestAndCyanLit()
    {
        auto colours = [](int id) {
            QSet<QRgb> set;
            const QImage image = loadBitmap(id).toImage().convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (qAlpha(image.pixel(x, y)) == 255)
                        set.insert(image.pixel(x, y));
            return set;
        };
        QCOMPARE(colours(resid::BmpColonRest), QSet<QRgb>{qRgb(0x40, 0x40, 0x40)});
        QCOMPARE(colours(resid::BmpColonLit), QSet<QRgb>{qRgb(0x00, 0xFF, 0xFF)});
    }
};

VANTORA_TEST_MAIN(TestResources)
#include "test_resources.moc"
