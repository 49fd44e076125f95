#include "tests/support/damages.h"
#include "tests/support/doubles/scripteddialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

void addDamageRows()
{
    QTest::addColumn<Damage>("damage");
    QTest::newRow("unreadable") << Damage::Unreadable;
    QTest::newRow("FIFO") << Damage::Fifo;
    QTest::newRow("link to /dev/zero") << Damage::DevZeroLink;
    QTest::newRow("folder") << Damage::Folder;
    QTest::newRow("huge") << Damage::Huge;
    QTest::newRow("binary") << Damage::Binary;
    QTest::newRow("truncated") << Damage::Truncated;
}

bool isRefused(Damage damage) { return damage != Damage::Binary && damage != Damage::Truncated; }

void removeDamage(const QString& path)
{
    if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink())
        QDir(path).removeRecursively();
    else
        ::unlink(QFile::encodeName(path).constData());
}

void applyDamage(Damage damage, const QString& path, const QByteArray& good, qint64 bound)
{
    removeDamage(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray native = QFile::encodeName(path);
    QFile file(path);
    switch (damage) {
    case Damage::Unreadable:
        QVERIFY(::symlink(QFile::encodeName(QFileInfo(path).fileName()).constData(), native.constData()) == 0);
        return;
    case Damage::Fifo: QVERIFY(::mkfifo(native.constData(), 0600) == 0); return;
    case Damage::DevZeroLink: QVERIFY(::symlink("/dev/zero", native.constData()) == 0); return;
    case Damage::Folder: QVERIFY(QDir().mkpath(path)); return;
    case Damage::Huge:
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(good);
        QVERIFY(file.resize(bound + 1)); // sparse: costs no disk
        return;
    case Damage::Binary: {
        QRandomGenerator random(22);
        QByteArray bytes(4096, '\0');
        for (qsizetype i = 0; i < bytes.size(); i += 3)
            bytes[i] = static_cast<char>(random.bounded(256));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return;
    }
    case Damage::Truncated:
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(good.left(good.lastIndexOf('\n', good.size() - 2) + 3));
        return;
    }
}

QByteArray fileState(const QString& path)
{
    struct stat st {};
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &st) != 0)
        return "<missing>";
    if (S_ISLNK(st.st_mode))
        return "<link to " + QFile::encodeName(QFile::symLinkTarget(path)) + ">";
    if (S_ISFIFO(st.st_mode))
        return "<fifo>";
    if (S_ISDIR(st.st_mode))
        return "<folder holding " + QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(',').toUtf8()
            + ">";
    if (st.st_size > 1024 * 1024)
        return "<file of " + QByteArray::number(qint64(st.st_size)) + " bytes>";
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QString refusalWords(Damage damage)
{
    switch (damage) {
    case Damage::Unreadable: return QStringLiteral("symbolic links");
    case Damage::Fifo: return QStringLiteral("named pipe");
    case Damage::DevZeroLink: return QStringLiteral("device");
    case Damage::Folder: return QStringLiteral("folder");
    case Damage::Huge: return QStringLiteral("larger than");
    case Damage::Binary:
    case Damage::Truncated: break;
    }
    return {};
}

QStringList boxesNaming(platform::ScriptedDialogs& dialogs, const QString& path)
{
    QCoreApplication::processEvents();
    QStringList found;
    for (const auto& shown : dialogs.shown())
        if (shown.title == QLatin1String("Vantora") && shown.prompt.contains(QDir::toNativeSeparators(path)))
            found << shown.prompt;
    return found;
}

} // namespace testsupport
