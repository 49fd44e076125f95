#include "compat/vb/conversions.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QTest>

#include <functional>

using namespace platform;

namespace {

// The error number a conversion raised, 0 when it raised none.
int errorOf(const std::function<void()>& conversion)
{
    try {
        conversion();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

// A conversion by its runtime name; a Boolean as -1 / 0.
double convert(const QString& name, const QString& text)
{
    if (name == QLatin1String("CBool"))
        return toBool(text) ? -1 : 0;
    if (name == QLatin1String("CInt"))
        return toInt16(text);
    if (name == QLatin1String("CLng"))
        return toInt32(text);
    if (name == QLatin1String("CSng"))
        return toSingle(text);
    return toDouble(text);
}

} // namespace

class TestConversions : public QObject {
    Q_OBJECT
private slots:
    void runtimeErrorCarriesNumberAndText()
    {
        try {
            toInt16("abc");
            QFAIL("no error raised");
        } catch (const std::runtime_error& e) {
            const auto* error = dynamic_cast<const RuntimeError*>(&e);
            QVERIFY(error);
            QCOMPARE(error->number(), 13);
            QCOMPARE(error->description(), QString("Type mismatch"));
            QCOMPARE(QString::fromUtf8(e.what()), QString("Type mismatch"));
        }
        QCOMPARE(RuntimeError::overflow().number(), 6);
        QCOMPARE(RuntimeError::overflow().description(), QString("Overflow"));
    }

    void conversions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("error");
        QTest::newRow("CBool True") << "CBool"
                                    << "True" << -1.0 << 0;
        QTest::newRow("CBool false, any case, blanks") << "CBool"
                                                       << " fALSE " << 0.0 << 0;
        QTest::newRow("CBool -1") << "CBool"
                                  << "-1" << -1.0 << 0;
        QTest::newRow("CBool 0") << "CBool"
                                 << "0" << 0.0 << 0;
        QTest::newRow("CBool 2.5") << "CBool"
                                   << "2.5" << -1.0 << 0;
        QTest::newRow("CBool empty") << "CBool"
                                     << "" << 0.0 << 13;
        QTest::newRow("CBool word") << "CBool"
                                    << "Truely" << 0.0 << 13;
        QTest::newRow("CInt blanks and sign") << "CInt"
                                              << "  +42 " << 42.0 << 0;
        QTest::newRow("CInt lowest") << "CInt"
                                     << "-32768" << -32768.0 << 0;
        QTest::newRow("CInt above") << "CInt"
                                    << "32768" << 0.0 << 6;
        QTest::newRow("CInt below") << "CInt"
                                    << "-32769" << 0.0 << 6;
        QTest::newRow("CInt 2.5 to even") << "CInt"
                                          << "2.5" << 2.0 << 0;
        QTest::newRow("CInt 3.5 to even") << "CInt"
                                          << "3.5" << 4.0 << 0;
        QTest::newRow("CInt -2.5 to even") << "CInt"
                                           << "-2.5" << -2.0 << 0;
        QTest::newRow("CInt 2.6 up") << "CInt"
                                     << "2.6" << 3.0 << 0;
        QTest::newRow("CInt rounds over the top") << "CInt"
                                                  << "32767.5" << 0.0 << 6;
        QTest::newRow("CInt exponents") << "CInt"
                                        << "1.5E1" << 15.0 << 0;
        QTest::newRow("CInt D exponent") << "CInt"
                                         << "2d2" << 200.0 << 0;
        QTest::newRow("CInt bare point") << "CInt"
                                         << ".5" << 0.0 << 0;
        QTest::newRow("CInt True") << "CInt"
                                   << "True" << -1.0 << 0;
        QTest::newRow("CInt empty") << "CInt"
                                    << "" << 0.0 << 13;
        QTest::newRow("CInt blank") << "CInt"
                                    << "   " << 0.0 << 13;
        QTest::newRow("CInt trailing letters") << "CInt"
                                               << "12abc" << 0.0 << 13;
        QTest::newRow("CInt thousands separator") << "CInt"
                                                  << "1,000" << 0.0 << 13;
        QTest::newRow("CInt two signs") << "CInt"
                                        << "--1" << 0.0 << 13;
        QTest::newRow("CInt bare exponent") << "CInt"
                                            << "1e" << 0.0 << 13;
        QTest::newRow("CInt inner blank") << "CInt"
                                          << "1 2" << 0.0 << 13;
        QTest::newRow("CLng highest") << "CLng"
                                      << "2147483647" << 2147483647.0 << 0;
        QTest::newRow("CLng above") << "CLng"
                                    << "2147483648" << 0.0 << 6;
        QTest::newRow("CLng lowest") << "CLng"
                                     << "-2147483648" << -2147483648.0 << 0;
        QTest::newRow("CLng 1234.5 to even") << "CLng"
                                             << "1234.5" << 1234.0 << 0;
        QTest::newRow("CLng huge") << "CLng"
                                   << "1e400" << 0.0 << 6;
        QTest::newRow("CSng fraction") << "CSng"
                                       << "1234.5" << 1234.5 << 0;
        QTest::newRow("CSng largest") << "CSng"
                                      << "3.4e38" << double(3.4e38f) << 0;
        QTest::newRow("CSng beyond") << "CSng"
                                     << "3.5e38" << 0.0 << 6;
        QTest::newRow("CDbl beyond single") << "CDbl"
                                            << "3.5e38" << 3.5e38 << 0;
        QTest::newRow("CDbl beyond") << "CDbl"
                                     << "1e309" << 0.0 << 6;
        QTest::newRow("CDbl too small") << "CDbl"
                                        << "1e-400" << 0.0 << 0;
        QTest::newRow("CDbl infinity word") << "CDbl"
                                            << "inf" << 0.0 << 13;
    }
    void conversions()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(int, error);
        double result = 0;
        QCOMPARE(errorOf([&] { result = convert(name, text); }), error);
        QCOMPARE(result, value);
    }

    void numberReadingIgnoresTheLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const double value = toDouble("1234.5");
        const bool commaIsNumeric = isNumeric("1,5");
        const QString text = singleText(1234.5f);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(value, 1234.5);
        QVERIFY(!commaIsNumeric);
        QCOMPARE(text, QString("1234.5"));
    }

    void isNumericAcceptsNumberTextOnly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::newRow("blanks") << " 12 " << true;
        QTest::newRow("exponent") << "-1.5e3" << true;
        QTest::newRow("six digits") << "073000" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("True") << "True" << false;
        QTest::newRow("time text") << "07:30" << false;
        QTest::newRow("too large") << "1e400" << false;
        QTest::newRow("hex") << "0x10" << false;
        QTest::newRow("lone point") << "." << false;
        QTest::newRow("lone sign") << "-" << false;
    }
    void isNumericAcceptsNumberTextOnly()
    {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QCOMPARE(isNumeric(text), numeric);
    }

    void textWriters_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("expected");
        QTest::newRow("True") << boolText(true) << "True";
        QTest::newRow("False") << boolText(false) << "False";
        QTest::newRow("negative int") << intText(-7) << "-7";
        QTest::newRow("long") << intText(2147483648LL) << "2147483648";
        QTest::newRow("single whole") << singleText(6540.0f) << "6540";
        QTest::newRow("single fraction") << singleText(1234.5f) << "1234.5";
        QTest::newRow("single negative") << singleText(-15.0f) << "-15";
        QTest::newRow("single minus zero") << singleText(-0.0f) << "0";
        QTest::newRow("single tenth") << singleText(0.1f) << "0.1";
        QTest::newRow("single third") << singleText(1.0f / 3.0f) << "0.3333333";
        QTest::newRow("single large") << singleText(12345678.0f) << "1.234568E+07";
        QTest::newRow("double third") << doubleText(1.0 / 3.0) << "0.333333333333333";
    }
    void textWriters()
    {
        QFETCH(QString, written);
        QFETCH(QString, expected);
        QCOMPARE(written, expected);
    }

    void writtenValuesReadBack()
    {
        for (float v : {6540.0f, 1234.5f, -15.0f, 0.1f, 7.25f, 1234567.0f})
            QCOMPARE(toSingle(singleText(v)), v);
        for (bool b : {true, false})
            QCOMPARE(toBool(boolText(b)), b);
        QCOMPARE(toInt32(intText(-2147483647)), -2147483647);
    }
};

VANTORA_TEST_MAIN(TestConversions)
#include "test_conversions.moc"
