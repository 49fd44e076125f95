#include "online/internet.h"

#include "platform/base/appinfo.h"
#include "platform/base/atomicfile.h"
#include "platform/base/background.h"
#include "platform/base/clock.h"
#include "platform/base/dialogs.h"
#include "platform/base/program.h"
#include "platform/online/download.h"
#include "platform/system/processrunner.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"
#include "platform/system/paths.h"

#include <QCryptographicHash>
#include <QFile>
#include <QPointer>

namespace {

using platform::kOptions;

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

} // namespace

QString serverUnreachableText()
{
    return QStringLiteral("Impossible to reach the server.\r\n\r\nCheck your Internet connection or try again later.");
}

Internet::Internet(AppHost& host) : QObject(host.hostObject()), m_host(host) {}

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

template <typename Arrived>
void Internet::fetch(const QUrl& url, const platform::DownloadLimits& limits, Arrived arrived)
{
    platform::DownloadJob* job = platform::downloader().get(url, limits, this);
    connect(job, &platform::DownloadJob::finished, this, std::move(arrived));
}

void Internet::endCheck()
{
    m_running = false;
    m_host.StopTimer8();
}

void Internet::ChkRadioList()
{
    if (m_running) {
        m_host.StopTimer8();
        return;
    }
    m_running = true;
    fetch(platform::webUrl(QStringLiteral("/VN/VNstat.log")), {},
          [this](const platform::Download& stamp) { radioStampArrived(stamp); });
}

void Internet::radioStampArrived(const platform::Download& stamp)
{
    m_running = false;
    if (!stamp.ok || !platform::writeFileAtomically(platform::hostPath(QStringLiteral("C:\\VNstat.log")), stamp.data)) {
        m_host.StopTimer8();
        return;
    }
    // Compared with what the store gives back, which keeps no longer a text.
    const QString line = platform::fitSettingValue(firstTextLine(stamp.data));
    const QString seen = platform::getSetting(kOptions, QStringLiteral("IntUpdate"), QString());
    platform::saveSetting(kOptions, QStringLiteral("IntUpdate"), line);
    if (seen.isEmpty() || !m_openNotice) {
        m_host.StopTimer8();
        return;
    }
    // The notice stops the busy animation when it is answered.
    m_openNotice(radioListNotice(line != seen
                                     ? QStringLiteral("The Internet radio list has been updated.")
                                     : QStringLiteral("No new radio in the Internet radio list at the moment.")));
}

void Internet::ChkUpdate(bool silent)
{
    if (m_running) {
        // Another check is on its way; this one is dropped, and an automatic
        // one must not leave the daily check waiting for ever.
        if (silent)
            m_host.state().ActuSyncVN = false;
        return;
    }
    m_running = true;
    UpdateOffer offer;
    offer.silent = silent;
    fetch(platform::webUrl(QStringLiteral("/VN/VNversion.log")), {},
          [this, offer](const platform::Download& file) { versionArrived(offer, file); });
}

void Internet::versionArrived(UpdateOffer offer, const platform::Download& file)
{
    if (!file.ok
        || !platform::writeFileAtomically(platform::hostPath(QStringLiteral("C:\\VNversion.log")), file.data)) {
        finishCheck(offer, serverUnreachableText());
        return;
    }
    const VersionFile version = readVersionFile(file.data);
    offer.version = version.versionLine;
    offer.sha256 = version.sha256;
    if (offer.version.isEmpty()) {
        m_verState = verstate::EmptyLine;
        finishCheck(offer, serverUnreachableText());
        return;
    }
    const ProgramVersion running{platform::appMajor(), platform::appMinor(), platform::appRevision()};
    const std::optional<qint16> state = CmpVersion(offer.version, running);
    if (!state) {
        finishCheck(offer, serverUnreachableText());
        return;
    }
    m_verState = *state;
    switch (m_verState) {
    case verstate::Newer: offerUpdate(offer); return;
    case verstate::Same: finishCheck(offer, QStringLiteral("You're using the latest version of Vantora.")); return;
    default:
        finishCheck(offer,
                    QStringLiteral("The VN version available on the Internet is ") + offer.version
                        + QStringLiteral("\r\nand so older than the version running on this computer.\r\n\r\n"
                                         "You must keep this version."));
        return;
    }
}

void Internet::offerUpdate(const UpdateOffer& newer)
{
    UpdateOffer offer = newer;
    offer.wasVisible = m_host.mainWindowVisible();
    if (offer.wasVisible && !offer.silent)
        m_host.setMainWindowVisible(false);
    if (offer.sha256.isEmpty()) {
        // Without a checksum the download could not be verified: nothing is fetched.
        finishCheck(offer,
                    QStringLiteral("Version ") + offer.version
                        + QStringLiteral(" is available Online...\r\n\r\n"
                                         "It must be downloaded and installed by hand: the server gives no "
                                         "checksum to verify the update program."));
        return;
    }
    const QPointer<Internet> alive(this);
    const int answer = offer.silent
        ? platform::mb::Yes
        : platform::dialogs().msgBox(
            QStringLiteral("Version ") + offer.version
                + QStringLiteral(" is available Online...\r\nDo you want to download it now ?"),
            platform::mb::YesNo | platform::mb::Question, boxTitle());
    if (!alive)
        return; // the main window was reset while the question was open
    if (answer == platform::mb::Yes) {
        DownLoadUpdate(offer);
        return;
    }
    restoreWindow(offer);
    endCheck();
}

void Internet::DownLoadUpdate(const UpdateOffer& offer)
{
    const QUrl url = platform::webUrl(QStringLiteral("/VN/VNUpdate.exe"));
    const QString refused = platform::refusedForExecutable(url);
    if (!refused.isEmpty()) {
        finishCheck(offer, refused);
        return;
    }
    fetch(url, updaterLimits(), [this, offer](const platform::Download& program) { updaterArrived(offer, program); });
}

void Internet::updaterArrived(const UpdateOffer& offer, const platform::Download& program)
{
    if (!program.ok) {
        finishCheck(offer, serverUnreachableText());
        return;
    }
    // Up to 64 MB: checked and written off the window thread.
    struct Saved {
        bool matches = false;
        platform::WriteResult written;
        bool intactOnDisk = false;
    };
    const QString path = updaterPath();
    platform::runInBackground(
        this,
        [data = program.data, path, expected = offer.sha256] {
            Saved saved;
            saved.matches = sha256Hex(data) == expected;
            if (!saved.matches)
                QFile::remove(path);
            else
                saved.written = platform::writeFileAtomically(path, data, 0700);
            // The file on disk is the one verified, or it is not run.
            saved.intactOnDisk = saved.written && fileSha256(path) == expected;
            return saved;
        },
        [this, offer](const Saved& saved) {
            if (!saved.matches) {
                finishCheck(offer,
                            QStringLiteral("The downloaded update program does not match its checksum.\r\n"
                                           "It was deleted and not started."));
            } else if (!saved.written) {
                finishCheck(offer, QStringLiteral("The update program could not be saved:\r\n") + saved.written.error);
            } else if (!saved.intactOnDisk) {
                QFile::remove(updaterPath());
                finishCheck(offer, QStringLiteral("The update program was changed on disk and was not started."));
            } else {
                RunUpdate(offer);
            }
        });
}

void Internet::RunUpdate(const UpdateOffer& offer)
{
    const QString path = updaterPath();
    if (!platform::processRunner().startDetached(path, {updaterPassPhrase()})) {
        QFile::remove(path);
        finishCheck(offer, QStringLiteral("The update program could not be started."));
        return;
    }
    endCheck();
    platform::endProgram();
}

void Internet::finishCheck(const UpdateOffer& offer, const QString& text)
{
    m_host.state().ActuSyncVN = false;
    const QPointer<Internet> alive(this);
    tell(offer.silent, text, platform::mb::Information);
    if (!alive)
        return;
    restoreWindow(offer);
    endCheck();
}

void Internet::tell(bool silent, const QString& text, int icon)
{
    if (!silent)
        platform::dialogs().msgBox(text, platform::mb::OkOnly | icon, boxTitle());
}

void Internet::restoreWindow(const UpdateOffer& offer)
{
    if (offer.wasVisible && !m_host.mainWindowVisible())
        m_host.setMainWindowVisible(true);
}
