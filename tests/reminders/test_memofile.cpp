#include "reminders/memofile.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTest>

Q_DECLARE_METATYPE(MemoRec)

namespace {

MemoRec rec(int y, int m, int d, const QString& time, const QString& text)
{
    return MemoRec{QDate(y, m, d), time, text};
}

QByteArray milk() { return QByteArray("#2026-12-10#\r\n\"09:00:00\"\r\n\"Buy milk, eggs\r\nbread\"\r\n"); }

// A message of random characters a user could type or paste, line breaks and
// double quotes included.
QString randomText(QRandomGenerator& g)
{
    static const QStringList pieces = {"a",  "b",      "Z",      "0",      "9",          " ",  ",",  ";",
                                       ":",  "#",      "\"",     "'",      "\\",         "\n", "\r", "\r\n",
                                       "\t", "\u00e9", "\u20ac", "\u4e2d", "\U0001F600", "  "};
    const int n = static_cast<int>(g.bounded(0, 40));
    QString s;
    for (int i = 0; i < n; ++i)
        s += pieces[static_cast<int>(g.bounded(pieces.size()))];
    return s;
}

} // namespace

class TestMemoFile : public QObject {
    Q_OBJECT
private slots:
    void writesTheRuntimesBytes()
    {
        QCOMPARE(writeMemoFile({rec(2026, 12, 10, "09:00:00", "Buy milk, eggs\nbread")}), milk());
        QCOMPARE(writeMemoFile({}), QByteArray());
        const QByteArray two = writeMemoFile(
            {rec(2004, 5, 28, "08:30:00", "first"), rec(2004, 5, 28, "09:00:00", "\u00e9t\u00e9 \u20ac")});
        QCOMPARE(two,
                 QByteArray("#2004-05-28#\r\n\"08:30:00\"\r\n\"first\"\r\n"
                            "#2004-05-28#\r\n\"09:00:00\"\r\n\"\xc3\xa9t\xc3\xa9 \xe2\x82\xac\"\r\n"));
    }

    void readsWhatItWrites()
    {
        const MemoParse p = parseMemoFile(milk());
        QVERIFY(p.clean);
        QCOMPARE(p.records.size(), 1);
        QCOMPARE(p.records[0], rec(2026, 12, 10, "09:00:00", "Buy milk, eggs\nbread"));
    }

    void writerDropsWhatCannotBeStored()
    {
        const QByteArray bytes = writeMemoFile({rec(2026, 1, 1, "10:00:00", ""), MemoRec{QDate(), "10:00:00", "x"},
                                                rec(2026, 1, 1, "        ", "x"), rec(2026, 1, 1, "25:00:00", "x"),
                                                rec(2026, 1, 1, "10:00:00", "\"\"")});
        QCOMPARE(bytes, QByteArray());
    }

    void writerRemovesEveryDoubleQuote()
    {
        const QByteArray bytes = writeMemoFile({rec(2026, 1, 2, "10:00:00", "say \"hi\" now\"")});
        QCOMPARE(bytes, QByteArray("#2026-01-02#\r\n\"10:00:00\"\r\n\"say hi now\"\r\n"));
    }

    void writerTurnsEveryLineBreakIntoCrLf()
    {
        const QByteArray bytes = writeMemoFile({rec(2026, 1, 2, "10:00:00", "a\r\nb\rc\nd")});
        QCOMPARE(bytes, QByteArray("#2026-01-02#\r\n\"10:00:00\"\r\n\"a\r\nb\r\nc\r\nd\"\r\n"));
    }

    void readerAcceptsOtherLayouts_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("time");
        QTest::newRow("LF only") << QByteArray("#2026-12-10#\n\"09:00:00\"\n\"Buy milk, eggs\nbread\"\n")
                                 << "Buy milk, eggs\nbread"
                                 << "09:00:00";
        QTest::newRow("no final line end") << QByteArray("#2026-12-10#\r\n\"09:00:00\"\r\n\"x\"") << "x"
                                           << "09:00:00";
        QTest::newRow("trailing blank lines")
            << QByteArray("#2026-12-10#\r\n\"09:00:00\"\r\n\"x\"\r\n\r\n\r\n  \r\n") << "x"
            << "09:00:00";
        QTest::newRow("date with a time") << QByteArray("#2026-12-10 08:15:00#\r\n\"09:00:00\"\r\n\"x\"\r\n") << "x"
                                          << "09:00:00";
        QTest::newRow("comma separated") << QByteArray("#2026-12-10#,\"09:00:00\"\r\n\"a, b\"\r\n") << "a, b"
                                         << "09:00:00";
        QTest::newRow("short time") << QByteArray("#2026-12-10#\r\n\"9:05\"\r\n\"x\"\r\n") << "x"
                                    << "09:05:00";
        QTest::newRow("unquoted time") << QByteArray("#2026-12-10#\r\n09:00:00\r\n\"x\"\r\n") << "x"
                                       << "09:00:00";
        QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbf#2026-12-10#\r\n\"09:00:00\"\r\n\"x\"\r\n") << "x"
                                         << "09:00:00";
        QTest::newRow("cp1252") << QByteArray("#2026-12-10#\r\n\"09:00:00\"\r\n\"caf\xe9 \x80 \x96\"\r\n")
                                << QString::fromUtf8("caf\u00e9 \u20ac \u2013") << "09:00:00";
    }
    void readerAcceptsOtherLayouts()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(QString, time);
        const MemoParse p = parseMemoFile(bytes);
        QVERIFY2(p.clean, qPrintable(p.problem));
        QCOMPARE(p.records.size(), 1);
        QCOMPARE(p.records[0].MemDate, QDate(2026, 12, 10));
        QCOMPARE(p.records[0].MemTime, time);
        QCOMPARE(p.records[0].MemText, text);
    }

    void emptyAndBlankFilesHoldNoReminder()
    {
        for (const QByteArray& bytes : {QByteArray(), QByteArray("\r\n"), QByteArray("\n\n  \n")}) {
            const MemoParse p = parseMemoFile(bytes);
            QVERIFY(p.clean);
            QVERIFY(p.records.isEmpty());
        }
    }

    void aCutFileKeepsTheCompleteRecords_data()
    {
        QTest::addColumn<int>("cut");
        const QByteArray two = milk() + writeMemoFile({rec(2026, 12, 11, "10:00:00", "second")});
        for (int cut = milk().size() + 1; cut < two.size() - 2; ++cut)
            QTest::addRow("at %d", cut) << cut;
    }
    void aCutFileKeepsTheCompleteRecords()
    {
        QFETCH(int, cut);
        const QByteArray two = milk() + writeMemoFile({rec(2026, 12, 11, "10:00:00", "second")});
        const MemoParse p = parseMemoFile(two.left(cut));
        QCOMPARE(p.records.size(), 1);
        QCOMPARE(p.records[0].MemText, QString("Buy milk, eggs\nbread"));
        QVERIFY(!p.clean);
    }

    void aBadRecordIsSkippedAndTheRestIsRead_data()
    {
        QTest::addColumn<QByteArray>("bad");
        QTest::newRow("not a date") << QByteArray("2026-12-10\r\n\"09:00:00\"\r\n\"lost\"\r\n");
        QTest::newRow("impossible date") << QByteArray("#2026-13-45#\r\n\"09:00:00\"\r\n\"lost\"\r\n");
        QTest::newRow("bad time") << QByteArray("#2026-12-10#\r\n\"noon\"\r\n\"lost\"\r\n");
        QTest::newRow("empty message") << QByteArray("#2026-12-10#\r\n\"09:00:00\"\r\n\"\"\r\n");
        QTest::newRow("garbage line") << QByteArray("hello world\r\n");
        QTest::newRow("lost its message") << QByteArray("#2026-12-10#\r\n\"09:00:00\"\r\n");
        QTest::newRow("lost its time") << QByteArray("#2026-12-10#\r\n");
    }
    void aBadRecordIsSkippedAndTheRestIsRead()
    {
        QFETCH(QByteArray, bad);
        const QByteArray bytes = milk() + bad + writeMemoFile({rec(2026, 12, 11, "10:00:00", "after")});
        const MemoParse p = parseMemoFile(bytes);
        QVERIFY(!p.clean);
        QVERIFY(!p.problem.isEmpty());
        QCOMPARE(p.records.size(), 2);
        QCOMPARE(p.records[0].MemDate, QDate(2026, 12, 10));
        QCOMPARE(p.records[1].MemText, QString("after"));
    }

    void aDoubleQuoteInsideAMessageIsDroppedAndReported()
    {
        const QByteArray bytes(
            "#2026-12-10#\r\n\"09:00:00\"\r\n\"say \"hi\" now\"\r\n#2026-12-11#\r\n\"10:00:00\"\r\n\"b\"\r\n");
        const MemoParse p = parseMemoFile(bytes);
        QVERIFY(!p.clean);
        QCOMPARE(p.records.size(), 2);
        QCOMPARE(p.records[0].MemText, QString("say hi now"));
        QCOMPARE(p.records[1].MemText, QString("b"));
    }

    void anUnquotedMessageLosesItsDoubleQuotes()
    {
        const MemoParse p = parseMemoFile("#2026-12-10#\r\n\"09:00:00\"\r\nsay \"hi\"\r\n");
        QVERIFY(!p.clean);
        QCOMPARE(p.records.value(0).MemText, QString("say hi"));
    }

    void sortsByDayThenTimeKeepingEqualOnesInOrder()
    {
        QList<MemoRec> list = {rec(2026, 5, 2, "08:00:00", "c"), rec(2026, 5, 1, "09:00:00", "a1"),
                               rec(2026, 5, 1, "08:30:00", "z"), rec(2026, 5, 1, "09:00:00", "a2"),
                               rec(2026, 4, 30, "23:59:59", "first")};
        sortMemos(list);
        QStringList order;
        for (const MemoRec& r : list)
            order << r.MemText;
        QCOMPARE(order, QStringList({"first", "z", "a1", "a2", "c"}));
    }

    void fixesTheTimeFieldTo8Characters()
    {
        QCOMPARE(fixedMemoTime("09:00"), QString("09:00   "));
        QCOMPARE(fixedMemoTime("09:00:00 pm"), QString("09:00:00"));
        QCOMPARE(fixedMemoTime(""), QString("        "));
    }

    // parse(write(x)) gives back every storable record of x, normalised.
    void roundTripProperty()
    {
        QRandomGenerator g(20261209);
        for (int round = 0; round < 500; ++round) {
            QList<MemoRec> list;
            const int n = static_cast<int>(g.bounded(0, 8));
            for (int i = 0; i < n; ++i) {
                const QDate d = QDate(2000, 1, 1).addDays(g.bounded(0, 20000));
                const QTime t = QTime(0, 0).addSecs(static_cast<int>(g.bounded(86400)));
                list.append(MemoRec{d, t.toString("HH:mm:ss"), randomText(g)});
            }
            QList<MemoRec> expected;
            for (const MemoRec& r : list)
                if (isStorableMemo(r))
                    expected.append(normalisedMemo(r));
            const QByteArray bytes = writeMemoFile(list);
            const MemoParse p = parseMemoFile(bytes);
            QVERIFY2(p.clean, qPrintable(p.problem));
            QCOMPARE(p.records, expected);
            QCOMPARE(writeMemoFile(p.records), bytes);
        }
    }
};

VANTORA_TEST_MAIN(TestMemoFile)
#include "test_memofile.moc"
