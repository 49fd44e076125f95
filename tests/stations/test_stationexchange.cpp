#include "mainwindow/form1.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"
#include "radio/form3.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QRadioButton>
#include <QSet>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstdio>

using testsupport::Form1Fixture;

namespace {

using platform::kOptions;
constexpr char kChildVariable[] = "VANTORA_STATION_WRITER";

// The child's loop: stores the whole station table again and again, each
// generation in one change, and reports every stored generation on a line of
// its own, until it is killed.
[[noreturn]] void writeStationsForever()
{
    const QString child = QString::number(QCoreApplication::applicationPid());
    for (qint64 generation = 1;; ++generation) {
        const QString value = child + QLatin1Char('-') + QString::number(generation);
        {
            platform::SettingsBatch batch;
            for (int i = 1; i <= 12; ++i) {
                platform::saveSetting(kOptions, QStringLiteral("RadioURL%1").arg(i), value);
                platform::saveSetting(kOptions, QStringLiteral("Radioname%1").arg(i), value);
            }
        }
        std::printf("%lld\n", static_cast<long long>(generation));
        std::fflush(stdout);
    }
}

// Runs the editor exchange with `edit` applied to the open editor.
void exchange(Form1Fixture& f, const std::function<void(Form3*)>& edit)
{
    QTimer::singleShot(0, f.form1(), [edit] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* editor = qobject_cast<Form3*>(w); editor && editor->isVisible()) {
                edit(editor);
                return;
            }
        QFAIL("the station editor is not shown");
    });
    f.trigger(QStringLiteral("seturl"));
}

void save(Form3* editor) { editor->findChild<QAction*>(QStringLiteral("exiadd"))->trigger(); }

} // namespace

class TestStationExchange : public QObject {
    Q_OBJECT
private slots:
    void preferencesOpensTheEditorFilledFromTheTable()
    {
        Form1Fixture f;
        Form1* main = f.loadForm1();
        QVERIFY(f.action(QStringLiteral("seturl"))->isEnabled());
        QStringList names;
        int shownDefault = 0;
        exchange(f, [&](Form3* e) {
            for (int i = 1; i <= 12; ++i)
                names << e->Text1[static_cast<size_t>(i)]->text();
            shownDefault = e->defaultRow();
            e->cance_Click();
        });
        for (int i = 1; i <= 12; ++i)
            QCOMPARE(names[i - 1], main->stationName(i));
        QCOMPARE(shownDefault, int(main->DefaultRadio));
    }

    void savedEditsReachTheTableTheStoreAndTheMenu()
    {
        Form1Fixture f;
        Form1* main = f.loadForm1();
        exchange(f, [](Form3* e) {
            e->Text1[3]->setText(QStringLiteral("Rock & Roll"));
            e->Text2[3]->setText(QStringLiteral("http://127.0.0.1:8000/rock"));
            e->Text1[10]->setText(QStringLiteral("hidden row"));
            e->setDefault(3);
            save(e);
        });
        QCOMPARE(main->stationName(3), QStringLiteral("Rock & Roll"));
        QCOMPARE(main->DefaultRadio, qint16(3));
        QCOMPARE(Form1Fixture::option(QStringLiteral("Radioname3")), QStringLiteral("Rock & Roll"));
        QCOMPARE(Form1Fixture::option(QStringLiteral("RadioURL3")), QStringLiteral("http://127.0.0.1:8000/rock"));
        QCOMPARE(Form1Fixture::option(QStringLiteral("Radioname10")), QStringLiteral("hidden row"));
        QCOMPARE(Form1Fixture::option(QStringLiteral("DefaultRadio")), QStringLiteral("3"));
        QAction* item = f.action(QStringLiteral("url_3"));
        QCOMPARE(item->text(), QStringLiteral("Rock && Roll"));
        QVERIFY(item->isChecked());
        QVERIFY(!main->ModifURL);
        // And they come back at the next start.
        main = f.restart();
        QCOMPARE(main->stationName(3), QStringLiteral("Rock & Roll"));
        QCOMPARE(main->DefaultRadio, qint16(3));
    }

    void cancelChangesNothing()
    {
        Form1Fixture f;
        Form1* main = f.loadForm1();
        const QString before = main->stationName(1);
        exchange(f, [](Form3* e) {
            e->Text1[1]->setText(QStringLiteral("changed"));
            e->setDefault(4);
            e->cance_Click();
        });
        QCOMPARE(main->stationName(1), before);
        QCOMPARE(main->DefaultRadio, qint16(2));
        QCOMPARE(Form1Fixture::option(QStringLiteral("DefaultRadio"), QStringLiteral("2")), QStringLiteral("2"));
    }

    void closingByTheFrameCountsAsCancel()
    {
        Form1Fixture f;
        Form1* main = f.loadForm1();
        exchange(f, [](Form3* e) {
            e->Text1[1]->setText(QStringLiteral("changed"));
            e->close();
        });
        QVERIFY(main->stationName(1) != QStringLiteral("changed"));
    }

    void aKilledSaveLeavesTheOldListOrTheNewOne()
    {
        testsupport::environment().wipe();
        QRandomGenerator random(20261209);
        for (int round = 0; round < 40; ++round) {
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(child.waitForStarted());
            // Killed while it writes a later generation, after 1 to 3 stored ones.
            const int stored = 1 + static_cast<int>(random.bounded(3));
            const qint64 pid = child.processId();
            QVERIFY(testsupport::killAfterReportedWrites(child, stored));
            QSet<QString> generations;
            for (int i = 1; i <= 12; ++i) {
                generations << platform::getSetting(kOptions, QStringLiteral("RadioURL%1").arg(i));
                generations << platform::getSetting(kOptions, QStringLiteral("Radioname%1").arg(i));
            }
            QVERIFY2(generations.size() == 1, qPrintable(QStringList(generations.values()).join(u',')));
            // One whole generation of this child: at least the one it reported.
            const QString found = *generations.begin();
            const QString own = QString::number(pid) + QLatin1Char('-');
            QVERIFY2(found.startsWith(own) && found.mid(own.size()).toLongLong() >= stored, qPrintable(found));
        }
    }
};

int main(int argc, char** argv)
{
    // The child writes into the parent's temporary home, which it inherits.
    if (qEnvironmentVariableIsSet(kChildVariable)) {
        QCoreApplication app(argc, argv);
        writeStationsForever();
    }
    testsupport::environment();
    QApplication app(argc, argv);
    TestStationExchange tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "test_stationexchange.moc"
