#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

namespace platform {

// The transfer states, numbered as the status line of the online windows shows them.
namespace inet {
constexpr int NoState = 0;
constexpr int ResolvingHost = 1;
constexpr int HostResolved = 2;
constexpr int Connecting = 3;
constexpr int Connected = 4;
constexpr int Requesting = 5;
constexpr int RequestSent = 6;
constexpr int ReceivingResponse = 7;
constexpr int ResponseReceived = 8;
constexpr int Disconnecting = 9;
constexpr int Disconnected = 10;
constexpr int Error = 11;
constexpr int ResponseCompleted = 12;
} // namespace inet

// What one download may cost before it is given up.
struct DownloadLimits {
    qint64 maxBytes = 1024 * 1024;  // the text files are small
    int inactivityMs = 10000;       // no byte for this long
    int deadlineMs = 60000;         // the whole transfer
    // A program to be run: only over HTTPS (plain HTTP only to this machine).
    bool executable = false;
};

// The outcome of a download. `data` is the file only when `ok`: an error page of
// the server is never handed back as the file.
struct Download {
    bool ok = false;
    QByteArray data;
    int httpStatus = 0;
    QString error; // a sentence for the user when !ok
};

// A blocking-looking HTTP download into memory: OpenURL returns when the whole
// file has arrived or the transfer failed, and window events (painting, timers)
// keep running meanwhile. One download at a time: a second OpenURL while one is
// running fails at once.
class Downloader : public QObject {
    Q_OBJECT
public:
    ~Downloader() override = default;

    virtual Download OpenURL(const QUrl& url, const DownloadLimits& limits = {}) = 0;
    // The state of the current or last transfer (inet::*).
    virtual int state() const = 0;
    // True while a transfer runs.
    virtual bool StillExecuting() const = 0;
    // Ends the running transfer; its OpenURL returns a failure. Nothing when idle.
    virtual void Cancel() = 0;

signals:
    void StateChanged(int state);
};

// The downloader in use; the real one on the network until setDownloader is called.
Downloader& downloader();
// Replaces the downloader; nullptr restores the real one.
void setDownloader(Downloader* d);

// The base address of the maker's web host, without a trailing "/": the
// environment variable VANTORA_WEB_BASE when set, else the built-in address.
QString webBase();
// A file below the web host ("/VN/VN.log" -> base + "/VN/VN.log").
QUrl webUrl(const QString& path);

// 127.0.0.0/8, ::1 and "localhost": a host that is this machine. Names are not
// resolved.
bool isLoopbackHost(const QString& host);
// Why a program may not be fetched from `url`, or "" when it may: HTTPS, or
// plain HTTP to this machine.
QString refusedForExecutable(const QUrl& url);

} // namespace platform
