#pragma once

#include "core/appstate.h"
#include "core/neighbours.h"
#include "online/versionfile.h"
#include "platform/online/download.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

// The program's online checks on the maker's web host: news of the shared
// station list, the version check, and the download and start of the updater.
// One check runs at a time, on the event loop: nothing here waits, so the
// windows keep answering, and a check still under way when the main window
// goes (a reset) simply ends with it.
class Internet : public QObject, public UpdateChecker {
    Q_OBJECT
public:
    explicit Internet(AppHost& host);

    // Compares the station-list stamp with the one last seen and tells the user.
    void ChkRadioList();
    // Checks for a newer version; silent: the automatic check, no boxes.
    void ChkUpdate(bool silent) override;

    // The outcome of the last version check (verstate::*), -1 before any.
    qint16 VerState() const { return m_verState; }
    bool checkRunning() const override { return m_running; }

    // Opens an automatic-message notice with this text (the reminder notice window).
    void setNoticeOpener(std::function<void(const QString&)> opener) { m_openNotice = std::move(opener); }

    // The pass phrase the updater expects as its only argument.
    static QString updaterPassPhrase() { return QStringLiteral("MirePort"); }
    // Where the updater is written: beside the program.
    static QString updaterPath();
    // The text of the station-list notice for its first line.
    static QString radioListNotice(const QString& firstLine);

private:
    struct UpdateOffer {
        QString version;
        QString sha256;
        bool silent = false;
        bool wasVisible = false;
    };
    void radioStampArrived(const platform::Download& stamp);
    void versionArrived(UpdateOffer offer, const platform::Download& file);
    void offerUpdate(const UpdateOffer& offer);
    void DownLoadUpdate(const UpdateOffer& offer);
    void updaterArrived(const UpdateOffer& offer, const platform::Download& program);
    void RunUpdate(const UpdateOffer& offer);
    // Starts a download of this check; `arrived` gets its outcome.
    template <typename Arrived>
    void fetch(const QUrl& url, const platform::DownloadLimits& limits, Arrived arrived);
    void endCheck();
    // Ends the check: the box (unless silent), the window back, the animation stopped.
    void finishCheck(const UpdateOffer& offer, const QString& text);
    void tell(bool silent, const QString& text, int icon);
    void restoreWindow(const UpdateOffer& offer);
    QString boxTitle() const;

    AppHost& m_host;
    qint16 m_verState = -1;
    bool m_running = false;
    std::function<void(const QString&)> m_openNotice;
};

// The box text of a failed version check.
QString serverUnreachableText();
