#include "mainwindow/clsos.h"

#include <QStringList>

namespace {

QString withoutNuls(QString text) { return text.remove(QChar(0)); }

// Each present item followed by " ,", the last comma dropped.
QString suiteText(const platform::OsFacts& facts)
{
    QString text;
    if (!facts.desktop.isEmpty())
        text += withoutNuls(facts.desktop).replace(QLatin1Char(':'), QLatin1Char('/')) + QStringLiteral(" desktop ,");
    if (!facts.sessionType.isEmpty())
        text += withoutNuls(facts.sessionType) + QStringLiteral(" session ,");
    if (text.size() > 2)
        text.chop(1);
    return text;
}

} // namespace

clsOS::clsOS() : clsOS(platform::readOsFacts()) {}

clsOS::clsOS(const platform::OsFacts& facts) { GetOSInfo(facts); }

void clsOS::GetOSInfo(const platform::OsFacts& facts)
{
    const QMap<QString, QString>& release = facts.osRelease;
    name = release.value(QStringLiteral("PRETTY_NAME")).trimmed();
    if (name.isEmpty())
        name = release.value(QStringLiteral("NAME")).trimmed();
    if (name.isEmpty())
        name = QStringLiteral("Linux");
    product = release.value(QStringLiteral("VARIANT")).trimmed();
    version = release.value(QStringLiteral("VERSION_ID")).trimmed();
    build = withoutNuls(facts.kernelRelease);
    additional = withoutNuls(facts.kernelVersion);
    servicePack = withoutNuls(facts.debianVersion);
    suites = suiteText(facts);
}
