#pragma once

// The radio and media player window. It plays what the main window chose: an
// internet station (slots 1 to 9), one media file (slot 11) or a folder of MP3
// files (slot 12), taking RaURL, DefaultRadio, MP3D, AutoPla, Rpeat and Shuffl
// from the main window. The window is created once, loaded when shown and
// unloaded (player released, every timer stopped) when closed or when a folder
// has been played through; it never unloads inside one of its own handlers.
//
// Player events: a stop the window asked for is never taken for the end of an
// item, so neither the folder loop nor the 15 s retry restarts a radio the user
// stopped or closed.

#include "core/appstate.h"
#include "core/neighbours.h"
#include "platform/base/timer.h"
#include "radio/radiologic.h"

#include <QPointer>
#include <QRandomGenerator>
#include <QWidget>

#include <array>
#include <memory>

class Form5;
class PlayerView;
class QAction;
class QLabel;
class QToolBar;

namespace platform {
class MediaPlayer;
}

class Radio : public QWidget, public RadioWindow {
    Q_OBJECT
public:
    explicit Radio(AppHost& host, QWidget* parent = nullptr);
    ~Radio() override;

    // ---- Public state ----
    bool WebcamOn = false;
    float MessNr = 1;
    float Espa = 0;
    float Espa2 = 0;
    QString ActualMP3Play;
    bool FullStop = false;

    // ---- Public procedures ----
    bool isVisible() const override;
    bool FormActive() const override { return m_formActive; }
    bool playerVisible() const override;
    bool webcamOn() const override { return WebcamOn; }
    void clearFileInHand() override;
    void SelectRad(int station) override { SelStation = static_cast<qint16>(station); }
    // Loads the window when needed, shows it and activates it.
    void Show() override;
    void Image1_Click() override;
    void setAlarmMute(bool mute) override;
    void ExtOntop() override;
    void RepShu() override;
    void SavPos();

    // ---- Commands of the window, as the user gives them ----
    void Image2_Click(); // start/stop
    void Image3_Click(); // exit
    void Image4_Click(); // cycle the player's display parts
    void Image5_Click(); // broadcast status
    void Image6_Click(); // next file
    void Toolbar1_ButtonClick(const QString& key);

    // ---- For the main window, the status window and tests ----
    bool isLoaded() const { return m_loaded; }
    // The player while the window is loaded, else nullptr.
    platform::MediaPlayer* player() const { return MediaPlayer1.get(); }
    Form5* statusWindow() const { return m_form5.get(); }
    platform::Timer& timer(int number);
    // Whether any of the window's timers (or the status window's) runs.
    bool anyTimerRunning() const;
    qint16 selectedStation() const { return SelStation; }
    int fileIndex() const { return static_cast<int>(FileIdx); }
    bool listEnded() const { return ListEnded; }
    QString playPath() const { return PlayPath; }
    int volumeBarTwips() const { return m_volumeBarTwips; }
    int receptionBarTwips() const { return m_receptionBarTwips; }
    // Seeds the shuffle's random picks (tests make them repeatable).
    void seedShuffle(quint32 seed) { m_random.seed(seed); }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // ---- radio.cpp: life cycle, start, stop, player events ----
    void buildControls();
    void Form_Load();
    void Form_Activate();
    void showOffState();
    void closeWindow();
    void requestUnload();
    void Unload();
    void stopPlayer();
    bool isStation(int a, int b) const;
    void showFolderControls();
    void MediaPlayer1_Buffering(bool Start);
    void MediaPlayer1_PlayStateChange(qint32 OldState, qint32 NewState);
    void MediaPlayer1_Disconnect(qint32 Result);
    void MediaPlayer1_Error();
    void endOfItem();
    void Timer3_Timer();

    // ---- radio_folder.cpp: folder playback ----
    void folderStep();
    bool LoopMP3();
    bool openEntry(const QStringList& list, int index);
    void unloadAtListEnd();

    // ---- radio_status.cpp: volume, toolbar, pictures, lines ----
    // Shows "No sound output" on the message line when what started playing
    // goes to no device.
    void showMissingSoundOutput();
    void RegVol();
    void LoadVol();
    void Affvol();
    void Afftout();
    void Efftout();
    void NetAvail();
    void setOnAir(int index, const QString& tip);
    void setConnection(int index);
    void setStartStop(int index, const QString& tip);
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer4_Timer();
    void Timer5_Timer();
    void Timer6_Timer();
    void Timer7_Timer();
    void Timer8_Timer();
    void showInfoLine(const radiologic::InfoLine& line);

    AppHost& host() const;
    AppState& shared() const;

    HostLink m_host;
    bool m_loaded = false;
    bool m_unloadPending = false;
    bool m_formActive = false;
    bool m_activatedByShow = false;
    // Set while the window itself stops the player: the stop is not an end.
    bool m_stopping = false;

    // ---- Private state ----
    qint16 SelStation = 0;
    bool RadioOn = false;
    float FileIdx = 0;
    QString PlayPath;
    bool ListEnded = false;
    qint32 LastVol = -1000;
    qint32 CurVol = 0;
    qint32 LastQual = 0;
    qint32 CurQual = 0;
    int m_infoStep = 0;
    int m_marqueeStep = 0;
    int m_onAirPicture = 1;
    int m_connectionPicture = 1;
    int m_volumeBarTwips = 0;
    int m_receptionBarTwips = 0;
    QRandomGenerator m_random;

    // ---- Controls ----
    std::unique_ptr<platform::MediaPlayer> MediaPlayer1;
    std::unique_ptr<Form5> m_form5;
    PlayerView* playerView = nullptr;
    QToolBar* Toolbar1 = nullptr;
    QAction* buttonEnd = nullptr;
    QAction* buttonMute = nullptr;
    QAction* buttonOntop = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Image3 = nullptr;
    QLabel* Image4 = nullptr;
    QLabel* Image5 = nullptr;
    QLabel* Image6 = nullptr;
    QLabel* Image7 = nullptr;
    QLabel* Image8 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    std::array<QWidget*, 12> Shape{}; // Shape1 .. Shape11 (index 0 unused)

    platform::Timer Timer1{30000};
    platform::Timer Timer2{40};
    platform::Timer Timer3{15000};
    platform::Timer Timer4{500};
    platform::Timer Timer5{200};
    platform::Timer Timer6{5};
    platform::Timer Timer7{1000};
    platform::Timer Timer8{500};
};
