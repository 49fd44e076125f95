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
    qint64 maxBytes = 1 << 20; // 1 MiB: the text files are small
    int inactivityMs = 10000;  // no byte for this long
    int deadlineMs = 60000;    // the whole transfer
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

// One transfer into memory. It reports its states and ends with finished()
// exactly once, unless it is cancelled first; then it reports nothing more.
// It belongs to the object that started it: destroying that object cancels it.
// It deletes itself once finished.
class DownloadJob : public QObject {
    Q_OBJECT
public:
    explicit DownloadJob(QObject* owner) : QObject(owner) {}

    int state() const { return m_state; }
    bool running() const { return !m_ended; }
    // Ends the transfer without a report.
    void cancel();

signals:
    void stateChanged(int state);
    void finished(const platform::Download& result);

protected:
    void setState(int state);
    // Reports the outcome once and schedules the job's deletion.
    void finish(const Download& result);
    // Reports a failure from the event loop (never from inside the call that started it).
    void failSoon(const QString& error);
    // The transfer's own end when it is cancelled.
    virtual void stop() {}

private:
    int m_state = inet::NoState;
    bool m_ended = false;
};

// Starts HTTP downloads. Any number may run at once; state() follows the one
// started last, as the status lines of the online windows show it.
class Downloader : public QObject {
    Q_OBJECT
public:
    ~Downloader() override = default;

    // Starts fetching `url`; the job belongs to `owner`.
    virtual DownloadJob* get(const QUrl& url, const DownloadLimits& limits, QObject* owner) = 0;
    // The state of the latest transfer (inet::*).
    int state() const { return m_state; }
    // True while a transfer runs.
    bool StillExecuting() const { return m_running > 0; }

signals:
    void StateChanged(int state);

protected:
    // Follows a job's states and counts it while it runs.
    DownloadJob* track(DownloadJob* job);

private:
    void setState(int state);
    int m_state = inet::NoState;
    int m_running = 0;
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
