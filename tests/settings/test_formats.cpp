#include "compat/vb/formats.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QTest>

using namespace platform;

namespace {

// Wednesday 9 December 2026, 07:05:03.
const QDateTime fixedMoment(QDate(2026, 12, 9), QTime(7, 5, 3));

// Runs `body` with another default locale and restores US English after it.
template <typename Body>
auto inLocale(QLocale::Language language, QLocale::Territory territory, Body body)
{
    QLocale::setDefault(QLocale(language, territory));
    const auto result = body();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    return result;
}

} // namespace

class TestFormats : public QObject {
    Q_OBJECT
private slots:
    void datePatterns_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        QTest::newRow("hh:mm:ss") << "hh:mm:ss"
                                  << "07:05:03";
        QTest::newRow("hh mm ss") << "hh mm ss"
                                  << "07 05 03";
        QTest::newRow("hhmmss") << "hhmmss"
                                << "070503";
        QTest::newRow("hh:mm") << "hh:mm"
                               << "07:05";
        QTest::newRow("long date") << "dddd dd mmmm yyyy"
                                   << "Wednesday 09 December 2026";
        QTest::newRow("short names") << "ddd dd mmm yyyy"
                                     << "Wed 09 Dec 2026";
        QTest::newRow("dd mmm yyyy") << "dd mmm yyyy"
                                     << "09 Dec 2026";
        QTest::newRow("dd mm yyyy") << "dd mm yyyy"
                                    << "09 12 2026";
        QTest::newRow("mm dd yyyy") << "mm dd yyyy"
                                    << "12 09 2026";
        QTest::newRow("dddd d mmm yyyy") << "dddd d mmm yyyy"
                                         << "Wednesday 9 Dec 2026";
        QTest::newRow("ss") << "ss"
                            << "03";
        QTest::newRow("mm alone is the month") << "mm"
                                               << "12";
        QTest::newRow("nn is the minute") << "nn"
                                          << "05";
        QTest::newRow("zone row") << "ddd dd mmm yyyy - hh:mm:ss"
                                  << "Wed 09 Dec 2026 - 07:05:03";
        QTest::newRow("month and minute together") << "dd mm yyyy - hh:mm:ss"
                                                   << "09 12 2026 - 07:05:03";
        QTest::newRow("leading blank") << " dddd dd mmmm yyyy - hh:mm:ss"
                                       << " Wednesday 09 December 2026 - 07:05:03";
        QTest::newRow("mm before ss") << "mm:ss"
                                      << "05:03";
        QTest::newRow("single letters") << "h:m:s d/m/yy"
                                        << "7:5:3 9/12/26";
        QTest::newRow("upper case letters") << "HH:MM:SS DD/MM/YYYY"
                                            << "07:05:03 09/12/2026";
        QTest::newRow("brackets kept") << "(hh:mm)"
                                       << "(07:05)";
        QTest::newRow("escaped and quoted") << "\\h\\h hh \"at dd\" dd"
                                            << "hh 07 at dd 09";
        QTest::newRow("day of year, weekday, week, quarter") << "y w ww q"
                                                             << "343 4 50 4";
        QTest::newRow("short date") << "ddddd"
                                    << "12/9/2026";
        QTest::newRow("long locale date") << "dddddd"
                                          << "Wednesday, December 9, 2026";
        QTest::newRow("half day") << "h:nn AM/PM"
                                  << "7:05 AM";
        QTest::newRow("other letters kept") << "hh!x"
                                            << "07!x";
    }
    void datePatterns()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(formatDateTime(fixedMoment, pattern), expected);
    }

    void twelveHourClock_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        QTest::newRow("evening, lower case") << QTime(19, 5) << "h:nn am/pm"
                                             << "7:05 pm";
        QTest::newRow("after midnight") << QTime(0, 30) << "hh:nn AM/PM"
                                        << "12:30 AM";
        QTest::newRow("noon") << QTime(12, 0) << "h A/P"
                              << "12 P";
        QTest::newRow("one letter, lower") << QTime(9, 0) << "h a/p"
                                           << "9 a";
        QTest::newRow("locale marks") << QTime(21, 0) << "hh AMPM"
                                      << "09 PM";
        QTest::newRow("24 hours without a mark") << QTime(21, 0) << "hh"
                                                 << "21";
    }
    void twelveHourClock()
    {
        QFETCH(QTime, time);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(formatTime(time, pattern), expected);
    }

    void namesFollowTheDefaultLocale()
    {
        const QString french = inLocale(QLocale::French, QLocale::France,
                                        [] { return formatDateTime(fixedMoment, "dddd dd mmmm yyyy"); });
        QCOMPARE(french, QString("mercredi 09 décembre 2026"));
        QCOMPARE(formatDateTime(fixedMoment, "dddd"), QString("Wednesday"));
    }

    void timeAloneHasDayZero()
    {
        QCOMPARE(formatTime(QTime(23, 59, 59), "hh:mm:ss"), QString("23:59:59"));
        QCOMPARE(formatTime(QTime(7, 5), "dd mm yyyy hhmmss"), QString("30 12 1899 070500"));
    }

    void invalidValuesStillFormat()
    {
        QCOMPARE(formatDateTime(QDateTime(), "dd mm yyyy hh:mm"), QString("30 12 1899 00:00"));
        QCOMPARE(formatTime(QTime(), "hh:mm:ss"), QString("00:00:00"));
        QCOMPARE(formatDateTime(fixedMoment, ""), QString());
        QCOMPARE(formatDateTime(fixedMoment, "\\"), QString());
        QCOMPARE(formatDateTime(fixedMoment, "\"open"), QString("open"));
    }

    void numberPatterns_data()
    {
        QTest::addColumn<QString>("digits");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        QTest::newRow("six digits") << "073000"
                                    << "00:00:00"
                                    << "07:30:00";
        QTest::newRow("three digits") << "730"
                                      << "00:00"
                                      << "07:30";
        QTest::newRow("four digits") << "1230"
                                     << "00:00"
                                     << "12:30";
        QTest::newRow("all zero") << "000000"
                                  << "00:00:00"
                                  << "00:00:00";
        QTest::newRow("end of day") << "235959"
                                    << "00:00:00"
                                    << "23:59:59";
        QTest::newRow("one digit") << "5"
                                   << "00:00:00"
                                   << "00:00:05";
        QTest::newRow("more digits than places") << "1234567"
                                                 << "00:00"
                                                 << "12345:67";
        QTest::newRow("blanks around") << " 730 "
                                       << "00:00"
                                       << "07:30";
        QTest::newRow("not numeric") << "12:30"
                                     << "00:00"
                                     << "12:30";
        QTest::newRow("word") << "abc"
                              << "00:00"
                              << "abc";
        QTest::newRow("empty") << ""
                               << "00:00"
                               << "";
        QTest::newRow("negative") << "-5"
                                  << "00"
                                  << "-05";
        QTest::newRow("hash places") << "7"
                                     << "#0"
                                     << "7";
        QTest::newRow("zero through hash") << "0"
                                           << "#"
                                           << "";
        QTest::newRow("zero through zero") << "0"
                                           << "0"
                                           << "0";
        QTest::newRow("fraction") << "1.5"
                                  << "0.00"
                                  << "1.50";
        QTest::newRow("rounds half away") << "2.5"
                                          << "0"
                                          << "3";
        QTest::newRow("hash fraction kept") << "1.25"
                                            << "0.0#"
                                            << "1.25";
        QTest::newRow("hash fraction dropped") << "1.5"
                                               << "0.0#"
                                               << "1.5";
        QTest::newRow("point stays") << "5"
                                     << "#.##"
                                     << "5.";
        QTest::newRow("rounded to zero has no sign") << "-0.001"
                                                     << "0.00"
                                                     << "0.00";
        QTest::newRow("escaped zero") << "7"
                                      << "\\0#"
                                      << "07";
        QTest::newRow("quoted text") << "1234"
                                     << "\"No.\" 0"
                                     << "No. 1234";
        QTest::newRow("no places") << "42"
                                   << "x"
                                   << "x42";
        QTest::newRow("empty pattern") << "073000"
                                       << ""
                                       << "73000";
    }
    void numberPatterns()
    {
        QFETCH(QString, digits);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(formatNumberPattern(digits, pattern), expected);
    }

    void shortDateHasFourDigitYears()
    {
        QCOMPARE(shortDateText(QDate(2026, 12, 9)), QString("12/9/2026"));
        QCOMPARE(shortDateText(QDate(2026, 1, 2)), QString("1/2/2026"));
        const QString german = inLocale(QLocale::German, QLocale::Germany,
                                        [] { return shortDateText(QDate(2026, 12, 9)); });
        QCOMPARE(german, QString("09.12.2026"));
    }
};

VANTORA_TEST_MAIN(TestFormats)
#include "test_formats.moc"
