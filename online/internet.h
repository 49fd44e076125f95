#pragma once

#include "mainwindow/neighbours.h"
#include "online/versionfile.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class Form1;

// The program's online checks on the maker's web host: news of the shared
// station list, the version check, and the download and start of the updater.
// One check runs at a time.
class Internet : public QObject, public UpdateChecker {
    Q_OBJECT
public:
    explicit Internet(Form1& main);

    // Compares the station-list stamp with the one last seen and tells the user.
    void ChkRadioList();
    // Checks for a newer version; silent: the automatic check, no boxes.
    void ChkUpdate(bool silent) override;

    // The outcome of the last version check (verstate::*), -1 before any.
    qint16 VerState() const { return m_verState; }
    bool checkRunning() const { return m_running; }

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
    void checkVersion(bool silent);
    void offerUpdate(const UpdateOffer& offer);
    void DownLoadUpdate(const UpdateOffer& offer);
    void RunUpdate(const UpdateOffer& offer);
    // The failure path of the version check: the window back, the check ended,
    // and unless silent the box.
    void updateFailed(const UpdateOffer& offer, const QString& text);
    void tell(bool silent, const QString& text, int icon);
    void restoreWindow(const UpdateOffer& offer);
    QString boxTitle() const;

    Form1& m_main;
    qint16 m_verState = -1;
    bool m_running = false;
    std::function<void(const QString&)> m_openNotice;
};

// The box text of a failed version check.
QString serverUnreachableText();
