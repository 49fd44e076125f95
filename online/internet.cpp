#include "online/internet.h"

#include "mainwindow/form1.h"
#include "platform/base/appinfo.h"
#include "platform/base/atomicfile.h"
#include "platform/base/clock.h"
#include "platform/base/dialogs.h"
#include "platform/base/program.h"
#include "platform/online/download.h"
#include "platform/online/processstarter.h"
#include "platform/settings/settings.h"
#include "platform/system/paths.h"

#include <QCryptographicHash>
#include <QFile>

namespace {

const QString kOptions = QStringLiteral("Options");

// The updater is a program, not a text file.
platform::DownloadLimits updaterLimits()
{
    platform::DownloadLimits limits;
    limits.maxBytes = 64LL * 1024 * 1024;
    limits.deadlineMs = 300000;
    limits.executable = true;
    return limits;
}

QString sha256Hex(const QByteArray& data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

QString fileSha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return QString::fromLatin1(hash.result().toHex());
}

// Marks a check as running for its whole length, also when it ends early.
class RunningFlag {
public:
    explicit RunningFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~RunningFlag() { m_flag = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& m_flag;
};

} // namespace

QString serverUnreachableText()
{
    return QStringLiteral("Impossible to reach the server.\r\n\r\nCheck your Internet connection or try again later.");
}

Internet::Internet(Form1& main) : QObject(&main), m_main(main) {}

QString Internet::updaterPath() { return platform::appPath() + QStringLiteral("/VNUpdate.exe"); }

QString Internet::boxTitle() const { return QStringLiteral("Vantora - v ") + platform::appVersionText(); }

QString Internet::radioListNotice(const QString& firstLine)
{
    return firstLine
        + QStringLiteral("\r\n\r\nCheck the 'Online Radio List' option from the 'Tools' menu\r\n"
                         "for more details...\r\n\r\n"
                         "If you have other radio links, share them with other users.\r\n"
                         "Send me an E-mail to put them Online.\r\n"
                         "Use the 'Send me your Links' option.");
}

void Internet::ChkRadioList()
{
    if (m_running) {
        m_main.StopTimer8();
        return;
    }
    RunningFlag running(m_running);
    const platform::Download stamp = platform::downloader().OpenURL(platform::webUrl(QStringLiteral("/VN/VNstat.log")));
    platform::doEvents();
    if (!stamp.ok || !platform::writeFileAtomically(platform::hostPath(QStringLiteral("C:\\VNstat.log")), stamp.data)) {
        platform::downloader().Cancel();
        m_main.StopTimer8();
        return;
    }
    const QString line = firstTextLine(stamp.data);
    const QString seen = platform::getSetting(kOptions, QStringLiteral("IntUpdate"), QString());
    platform::saveSetting(kOptions, QStringLiteral("IntUpdate"), line);
    if (seen.isEmpty() || !m_openNotice) {
        m_main.StopTimer8();
        return;
    }
    // The notice stops the busy animation when it is answered.
    m_openNotice(radioListNotice(line != seen ? QStringLiteral("The Internet radio list has been updated.")
                                              : QStringLiteral("No new radio in the Internet radio list at the moment.")));
}

void Internet::ChkUpdate(bool silent)
{
    if (m_running) {
        // Another check is on its way; this one is dropped, and an automatic
        // one must not leave the daily check waiting for ever.
        if (silent)
            m_main.ActuSyncVN = false;
        return;
    }
    RunningFlag running(m_running);
    checkVersion(silent);
}

void Internet::checkVersion(bool silent)
{
    UpdateOffer offer;
    offer.silent = silent;
    const platform::Download file = platform::downloader().OpenURL(platform::webUrl(QStringLiteral("/VN/VNversion.log")));
    platform::doEvents();
    if (!file.ok || !platform::writeFileAtomically(platform::hostPath(QStringLiteral("C:\\VNversion.log")), file.data)) {
        platform::downloader().Cancel();
        updateFailed(offer, serverUnreachableText());
        return;
    }
    const VersionFile version = readVersionFile(file.data);
    offer.version = version.versionLine;
    offer.sha256 = version.sha256;
    if (offer.version.isEmpty()) {
        m_verState = verstate::EmptyLine;
        updateFailed(offer, serverUnreachableText());
        return;
    }
    const ProgramVersion running{platform::appMajor(), platform::appMinor(), platform::appRevision()};
    const std::optional<qint16> state = CmpVersion(offer.version, running);
    if (!state) {
        updateFailed(offer, serverUnreachableText());
        return;
    }
    m_verState = *state;
    switch (m_verState) {
    case verstate::Newer: offerUpdate(offer); return;
    case verstate::Same:
        m_main.ActuSyncVN = false;
        tell(silent, QStringLiteral("You're using the latest version of Vantora."), platform::mb::Information);
        return;
    default:
        m_main.ActuSyncVN = false;
        tell(silent,
             QStringLiteral("The VN version available on the Internet is ") + offer.version
                 + QStringLiteral("\r\nand so older than the version running on this computer.\r\n\r\n"
                                  "You must keep this version."),
             platform::mb::Information);
        return;
    }
}

void Internet::offerUpdate(const UpdateOffer& newer)
{
    UpdateOffer offer = newer;
    offer.wasVisible = m_main.isVisible();
    if (offer.wasVisible && !offer.silent)
        m_main.hide();
    if (offer.sha256.isEmpty()) {
        // Without a checksum the download could not be verified: nothing is fetched.
        updateFailed(offer, QStringLiteral("Version ") + offer.version
                                + QStringLiteral(" is available Online...\r\n\r\n"
                                                 "It must be downloaded and installed by hand: the server gives no "
                                                 "checksum to verify the update program."));
        return;
    }
    const int answer = offer.silent
        ? platform::mb::Yes
        : platform::dialogs().msgBox(QStringLiteral("Version ") + offer.version
                                         + QStringLiteral(" is available Online...\r\nDo you want to download it now ?"),
                                     platform::mb::YesNo | platform::mb::Question, boxTitle());
    if (answer == platform::mb::Yes) {
        DownLoadUpdate(offer);
        return;
    }
    restoreWindow(offer);
}

void Internet::DownLoadUpdate(const UpdateOffer& offer)
{
    const QUrl url = platform::webUrl(QStringLiteral("/VN/VNUpdate.exe"));
    const QString refused = platform::refusedForExecutable(url);
    if (!refused.isEmpty()) {
        updateFailed(offer, refused);
        return;
    }
    const platform::Download program = platform::downloader().OpenURL(url, updaterLimits());
    platform::doEvents();
    if (!program.ok) {
        platform::downloader().Cancel();
        updateFailed(offer, serverUnreachableText());
        return;
    }
    const QString path = updaterPath();
    if (sha256Hex(program.data) != offer.sha256) {
        QFile::remove(path);
        updateFailed(offer, QStringLiteral("The downloaded update program does not match its checksum.\r\n"
                                           "It was deleted and not started."));
        return;
    }
    const platform::WriteResult written = platform::writeFileAtomically(path, program.data, 0700);
    if (!written) {
        updateFailed(offer, QStringLiteral("The update program could not be saved:\r\n") + written.error);
        return;
    }
    RunUpdate(offer);
}

void Internet::RunUpdate(const UpdateOffer& offer)
{
    const QString path = updaterPath();
    // The file on disk is the one verified, or it is not run.
    if (fileSha256(path) != offer.sha256) {
        QFile::remove(path);
        updateFailed(offer, QStringLiteral("The update program was changed on disk and was not started."));
        return;
    }
    if (!platform::processStarter().startDetached(path, {updaterPassPhrase()})) {
        QFile::remove(path);
        updateFailed(offer, QStringLiteral("The update program could not be started."));
        return;
    }
    platform::endProgram();
}

void Internet::updateFailed(const UpdateOffer& offer, const QString& text)
{
    m_main.ActuSyncVN = false;
    tell(offer.silent, text, platform::mb::Information);
    restoreWindow(offer);
}

void Internet::tell(bool silent, const QString& text, int icon)
{
    if (!silent)
        platform::dialogs().msgBox(text, platform::mb::OkOnly | icon, boxTitle());
}

void Internet::restoreWindow(const UpdateOffer& offer)
{
    if (offer.wasVisible && !m_main.isVisible())
        m_main.show();
}
