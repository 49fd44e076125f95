#include "tests/mainwindow/form1fixture.h"

#include "mainwindow/form1.h"
#include "platform/base/program.h"
#include "platform/settings/settings.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/manualclock.h"

#include <QAction>
#include <QFile>
#include <QTest>

namespace testsupport {

Form1Fixture::Form1Fixture(const QDateTime& start) : m_clock(std::make_unique<platform::ManualClock>(start))
{
    environment().wipe();
    platform::setClock(m_clock.get());
    platform::setDialogs(&m_dialogs);
    platform::setSoundPlayer(&m_sound);
    platform::setWindowSystem(&m_windows);
    platform::setEndProgramHandler([this](int) { ++m_endCount; });
}

Form1Fixture::~Form1Fixture()
{
    m_form1.reset();
    platform::setEndProgramHandler({});
    platform::setWindowSystem(nullptr);
    platform::setSoundPlayer(nullptr);
    platform::setDialogs(nullptr);
    platform::setClock(nullptr);
}

Form1* Form1Fixture::loadForm1()
{
    m_form1 = std::make_unique<Form1>();
    m_form1->Form_Load();
    return m_form1.get();
}

Form1* Form1Fixture::restart()
{
    unload();
    return loadForm1();
}

void Form1Fixture::unload() { m_form1.reset(); }

QAction* Form1Fixture::action(const QString& name) const
{
    auto* found = m_form1->findChild<QAction*>(name);
    if (!found)
        qFatal("no action %s", qPrintable(name));
    return found;
}

void Form1Fixture::trigger(const QString& name) const { action(name)->trigger(); }

QString Form1Fixture::option(const QString& key, const QString& def)
{
    return platform::getSetting(QStringLiteral("Options"), key, def);
}

void Form1Fixture::setOption(const QString& key, const QString& value)
{
    platform::saveSetting(QStringLiteral("Options"), key, value);
}

QStringList Form1Fixture::optionKeys()
{
    QFile file(platform::settingsFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList keys;
    bool inOptions = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('[')))
            inOptions = line == QLatin1String("[Options]");
        else if (inOptions && line.contains(QLatin1Char('=')))
            keys.append(line.section(QLatin1Char('='), 0, 0));
    }
    return keys;
}

} // namespace testsupport
