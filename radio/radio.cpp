#include "radio/radio.h"

#include "core/sysmod.h"
#include "platform/base/appinfo.h"
#include "platform/base/twips.h"
#include "platform/controls/dialogkeys.h"
#include "platform/media/mediaplayer.h"
#include "compat/vb/conversions.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"
#include "radio/form5.h"
#include "radio/playerview.h"
#include "radio/radiopictures.h"
#include "core/windowplace.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QToolBar>

namespace {

using platform::kTwipsPerPixel;
constexpr int kWidth = 4845 / kTwipsPerPixel;
constexpr int kHeight = 4395 / kTwipsPerPixel;
constexpr int kToolbarHeight = 24;
constexpr int kStripTop = 212;

using platform::kOptions;
const QString kOffTip = QStringLiteral("Vantora Radio's Off - Click for Controls");
const QString kConnectingTip = QStringLiteral("Vantora Radio's On - Connecting...");
const QString kNoDetailsTip = QStringLiteral("No Connection details - Click Here");

QLabel* makeImage(QWidget* parent, const QString& name, const QRect& geometry, const QString& tip = {})
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    label->setToolTip(tip);
    return label;
}

QWidget* makeShape(QWidget* parent, const QString& name, const QRect& geometry, const QColor& fill, bool framed = false)
{
    auto* shape = new QLabel(parent);
    shape->setObjectName(name);
    shape->setGeometry(geometry);
    shape->setAutoFillBackground(fill.isValid());
    if (fill.isValid()) {
        QPalette pal = shape->palette();
        pal.setColor(QPalette::Window, fill);
        shape->setPalette(pal);
    }
    if (framed)
        shape->setFrameShape(QFrame::Box);
    return shape;
}

void setTextColour(QLabel* label, const QColor& colour)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

} // namespace

Radio::Radio(AppHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), m_host(host),
      m_random(QRandomGenerator::global()->generate())
{
    setObjectName(QStringLiteral("Radio"));
    setFixedSize(kWidth, kHeight);
    buildControls();
    platform::DialogKeys::install(this);

    const std::array<std::pair<platform::Timer*, void (Radio::*)()>, 8> handlers{{
        {&Timer1, &Radio::Timer1_Timer},
        {&Timer2, &Radio::Timer2_Timer},
        {&Timer3, &Radio::Timer3_Timer},
        {&Timer4, &Radio::Timer4_Timer},
        {&Timer5, &Radio::Timer5_Timer},
        {&Timer6, &Radio::Timer6_Timer},
        {&Timer7, &Radio::Timer7_Timer},
        {&Timer8, &Radio::Timer8_Timer},
    }};
    for (const auto& [timer, handler] : handlers)
        connect(timer, &platform::Timer::timeout, this, handler);

    // The window is activated when the focus comes to it from another of the
    // program's windows (not when the user comes back from another program).
    // Showing the window activates it at once; the focus that follows is the same
    // activation.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        const bool fromHere = old && old->window() == this;
        const bool toHere = now && now->window() == this;
        if (fromHere && !toHere)
            m_activatedByShow = false;
        if (!m_loaded || !toHere || fromHere || !old)
            return;
        if (std::exchange(m_activatedByShow, false))
            return;
        Form_Activate();
    });
}

Radio::~Radio()
{
    // The program is ending or resetting: no call back into the main window.
    if (MediaPlayer1) {
        disconnect(MediaPlayer1.get(), nullptr, this, nullptr);
        MediaPlayer1->Close();
    }
}

AppHost& Radio::host() const { return *m_host.get(); }

AppState& Radio::shared() const { return host().state(); }

platform::Timer& Radio::timer(int number)
{
    std::array<platform::Timer*, 8> all{&Timer1, &Timer2, &Timer3, &Timer4, &Timer5, &Timer6, &Timer7, &Timer8};
    return *all.at(static_cast<size_t>(number - 1));
}

bool Radio::anyTimerRunning() const
{
    for (const platform::Timer* t : {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5, &Timer6, &Timer7, &Timer8})
        if (t->isEnabled())
            return true;
    return m_form5 && m_form5->isLoaded();
}

// ---- Building the window ----

void Radio::buildControls()
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x10, 0x10, 0x10));
    pal.setColor(QPalette::WindowText, QColor(0xE0, 0xE0, 0xE0));
    setPalette(pal);
    setAutoFillBackground(true);

    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setGeometry(0, 0, kWidth, kToolbarHeight);
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    Toolbar1->setPalette(QApplication::palette());
    Toolbar1->setAutoFillBackground(true);
    buttonEnd = Toolbar1->addAction(QStringLiteral("Exit"));
    buttonEnd->setObjectName(QStringLiteral("end"));
    buttonMute = Toolbar1->addAction(QStringLiteral("Mute"));
    buttonMute->setObjectName(QStringLiteral("mute"));
    buttonMute->setCheckable(true);
    buttonMute->setEnabled(false);
    buttonOntop = Toolbar1->addAction(QStringLiteral("Stay On Top  "));
    buttonOntop->setObjectName(QStringLiteral("Ontop"));
    buttonOntop->setCheckable(true);
    connect(buttonEnd, &QAction::triggered, this, [this] { Toolbar1_ButtonClick(QStringLiteral("end")); });
    connect(buttonMute, &QAction::triggered, this, [this] { Toolbar1_ButtonClick(QStringLiteral("mute")); });
    connect(buttonOntop, &QAction::triggered, this, [this] { Toolbar1_ButtonClick(QStringLiteral("Ontop")); });

    const QRect playerArea(0, kToolbarHeight, kWidth, kStripTop - kToolbarHeight - 2);
    playerView = new PlayerView(this);
    playerView->setGeometry(playerArea);
    Image1 = makeImage(this, QStringLiteral("Image1"), playerArea, QStringLiteral("Click for Radio"));
    Image1->setPixmap(radiopictures::cover(playerArea.size()));
    Image1->setCursor(Qt::PointingHandCursor);

    const int top = kStripTop;
    Shape[1] = makeShape(this, QStringLiteral("Shape1"), QRect(0, top, kWidth, kHeight - top),
                         QColor(0x20, 0x20, 0x20));
    Shape[2] = makeShape(this, QStringLiteral("Shape2"), QRect(2, top + 2, 60, 20), {}, true);
    Shape[3] = makeShape(this, QStringLiteral("Shape3"), QRect(64, top + 2, kWidth - 66, 20), {}, true);
    Image2 = makeImage(this, QStringLiteral("Image2"), QRect(4, top + 4, 16, 16),
                       QStringLiteral("Start Vantora Radio"));
    Image3 = makeImage(this, QStringLiteral("Image3"), QRect(22, top + 4, 16, 16), QStringLiteral("Exit Radio"));
    Image4 = makeImage(this, QStringLiteral("Image4"), QRect(40, top + 4, 16, 16), kOffTip);
    Image3->setPixmap(radiopictures::exitPicture());
    Label1 = makeImage(this, QStringLiteral("Label1"), QRect(66, top + 4, kWidth - 70, 16));
    Label1->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setPointSize(7);
    Label1->setFont(mono);
    setTextColour(Label1, QColor(0x80, 0xC0, 0xFF));

    // Second row: file name, next, repeat/shuffle, connection picture.
    Shape[7] = makeShape(this, QStringLiteral("Shape7"), QRect(2, top + 24, 200, 18), {}, true);
    Label6 = makeImage(this, QStringLiteral("Label6"), QRect(4, top + 25, 196, 16));
    Label6->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    Image6 = makeImage(this, QStringLiteral("Image6"), QRect(206, top + 25, 16, 16), QStringLiteral("Next..."));
    Image6->setPixmap(radiopictures::next());
    Shape[4] = makeShape(this, QStringLiteral("Shape4"), QRect(226, top + 24, 34, 18), {}, true);
    Label2 = makeImage(this, QStringLiteral("Label2"), QRect(228, top + 25, 14, 16), QStringLiteral("Repeat Enabled"));
    Label2->setText(QStringLiteral("R"));
    Label3 = makeImage(this, QStringLiteral("Label3"), QRect(244, top + 25, 14, 16), QStringLiteral("Shuffle Enabled"));
    Label3->setText(QStringLiteral("S"));
    Image5 = makeImage(this, QStringLiteral("Image5"), QRect(kWidth - 22, top + 25, 16, 16), kNoDetailsTip);

    // Third row: volume and reception bars, information line.
    const int barWidth = radiologic::BarTwips / kTwipsPerPixel;
    Shape[5] = makeShape(this, QStringLiteral("Shape5"), QRect(2, top + 45, barWidth + 4, 10), {}, true);
    Shape[8] = makeShape(this, QStringLiteral("Shape8"), QRect(4, top + 47, barWidth, 6), QColor(0x40, 0x40, 0x40));
    Shape[6] = makeShape(this, QStringLiteral("Shape6"), QRect(4, top + 47, 0, 6), QColor(0x40, 0xC0, 0x40));
    Image7 = makeImage(this, QStringLiteral("Image7"), QRect(2, top + 43, barWidth + 4, 14));
    Shape[11] = makeShape(this, QStringLiteral("Shape11"), QRect(56, top + 45, barWidth + 4, 10), {}, true);
    Shape[10] = makeShape(this, QStringLiteral("Shape10"), QRect(58, top + 47, barWidth, 6), QColor(0x40, 0x40, 0x40));
    Shape[9] = makeShape(this, QStringLiteral("Shape9"), QRect(58, top + 47, 0, 6), QColor(0x40, 0x80, 0xFF));
    Image8 = makeImage(this, QStringLiteral("Image8"), QRect(56, top + 43, barWidth + 4, 14));
    Label5 = makeImage(this, QStringLiteral("Label5"), QRect(110, top + 42, kWidth - 112, 16));
    Label5->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    QFont small = Label5->font();
    small.setPointSize(7);
    Label5->setFont(small);
    Label6->setFont(small);

    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(Toolbar1), static_cast<QWidget*>(Image1),
                       static_cast<QWidget*>(Image2), static_cast<QWidget*>(Image3), static_cast<QWidget*>(Image4),
                       static_cast<QWidget*>(Image5), static_cast<QWidget*>(Image6), static_cast<QWidget*>(Label1)}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    Image7->raise();
    Image8->raise();
    Image1->raise();
}

// ---- Life cycle ----

void Radio::Form_Load()
{
    Timer2.setEnabled(true);
    Timer7.setEnabled(true);
    Timer8.setEnabled(true);
    FileIdx = 0;
    LastVol = -1000;
    FullStop = false;
    ActualMP3Play.clear();
    ListEnded = false;
    LastQual = 0;
    WebcamOn = false;
    RadioOn = false;

    MediaPlayer1 = platform::createMediaPlayer();
    platform::MediaPlayer* player = MediaPlayer1.get();
    connect(player, &platform::MediaPlayer::Buffering, this, &Radio::MediaPlayer1_Buffering);
    connect(player, &platform::MediaPlayer::PlayStateChange, this, &Radio::MediaPlayer1_PlayStateChange);
    connect(player, &platform::MediaPlayer::Disconnect, this, &Radio::MediaPlayer1_Disconnect);
    connect(player, &platform::MediaPlayer::Error, this, &Radio::MediaPlayer1_Error);
    player->setVisible(false);
    player->setEnabled(false);
    playerView->setPlayer(player);
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        player->setVideoWindow(static_cast<quint32>(playerView->videoSurface()->winId()));

    setWindowTitle(QStringLiteral("Vantora Radio - v ") + platform::appVersionText());
    move(windowplace::stored(QStringLiteral("Left"), QStringLiteral("Right"), size()));

    // The stored volume comes back before the first poll could store the new
    // player's own.
    LoadVol();
    NetAvail();
    MessNr = 1;
    Espa = 0;
    Espa2 = 0;
    m_marqueeStep = 0;
    m_infoStep = 0;
    setStartStop(1, QStringLiteral("Start Vantora Radio"));
    setOnAir(1, kOffTip);
    setConnection(1);
    Image1->show();
    for (QWidget* w : {Image2, Image3, Image4, Image5, Image6, Label2, Label3, Label6})
        w->hide();
    for (int i = 1; i <= 11; ++i)
        Shape[static_cast<size_t>(i)]->hide();
    Label1->clear();
    Label5->clear();
    m_loaded = true;
}

void Radio::Show()
{
    if (m_unloadPending)
        Unload();
    if (!m_loaded)
        Form_Load();
    QWidget::show();
    raise();
    activateWindow();
    m_activatedByShow = true;
    Form_Activate();
}

void Radio::Form_Activate()
{
    if (m_host)
        host().radioWindowOpen(true);
    FileIdx = 0;
    m_infoStep = 0;
    m_formActive = true;
    ListEnded = false;
    ExtOntop();
    // The stacking call lets pending events run: a close queued before it
    // may have unloaded the window meanwhile.
    if (!m_loaded || !MediaPlayer1)
        return;
    if (!MediaPlayer1->Visible() && m_host && shared().AutoPla)
        Image1_Click();
}

bool Radio::isVisible() const { return QWidget::isVisible(); }

bool Radio::playerVisible() const { return m_loaded && MediaPlayer1->Visible(); }

void Radio::clearFileInHand()
{
    ActualMP3Play.clear();
    FullStop = false;
}

bool Radio::isStation(int a, int b) const
{
    return m_host && (shared().DefaultRadio == a || shared().DefaultRadio == b);
}

void Radio::stopPlayer()
{
    if (!MediaPlayer1)
        return;
    const bool was = std::exchange(m_stopping, true);
    MediaPlayer1->Stop();
    m_stopping = was;
}

// ---- Start, stop, exit ----

void Radio::Image1_Click()
{
    if (!m_loaded || m_unloadPending || !m_host)
        return;
    platform::MediaPlayer* player = MediaPlayer1.get();
    RadioOn = true;
    FullStop = false;
    Image5->setToolTip(kNoDetailsTip);
    Timer1.setEnabled(false);
    Timer2.setEnabled(false);
    Timer3.setEnabled(false);
    Label1->clear();

    for (QWidget* w : {Shape[1], static_cast<QWidget*>(Image2), static_cast<QWidget*>(Image3), Shape[2], Shape[3],
                       static_cast<QWidget*>(Image4), static_cast<QWidget*>(Image5)})
        w->show();
    setOnAir(3, Image4->toolTip());
    setConnection(1);

    player->setEnabled(true);
    player->setShowDisplay(false);
    player->setShowControls(false);
    player->setVisible(true);
    LoadVol();
    Image1->hide();

    // An empty slot opens nothing (no error, so no endless retry).
    if (!shared().MP3D && !shared().RaURL.isEmpty())
        player->Open(shared().RaURL);
    showFolderControls();
    RepShu();
    host().startRadioBlink();
    if (shared().MP3D) {
        folderStep();
        if (m_unloadPending)
            return;
    }
    player->setCurrentPosition(0);
    setStartStop(2, QStringLiteral("Stop Vantora Radio"));
    Image4->setToolTip(kConnectingTip);
    player->setToolTipText(QStringLiteral("Vantora Radio - Connecting..."));
    WebcamOn = true;
}

void Radio::Image2_Click()
{
    if (!m_loaded)
        return;
    platform::MediaPlayer* player = MediaPlayer1.get();
    if (player->Visible())
        RegVol();
    // A start or a stop by the user ends any retry in waiting.
    Timer3.setEnabled(false);
    if (WebcamOn) {
        RadioOn = false;
        Timer6.setEnabled(false);
        WebcamOn = false;
        setStartStop(1, QStringLiteral("Start Vantora Radio"));
        setOnAir(1, kOffTip);
        player->setToolTipText(QStringLiteral("Vantora Radio - Offline"));
        stopPlayer();
        player->setShowDisplay(false);
        player->setShowControls(false);
        return;
    }
    RadioOn = true;
    player->setCurrentPosition(0);
    WebcamOn = true;
    setStartStop(2, QStringLiteral("Stop Vantora Radio"));
    setOnAir(3, kConnectingTip);
    player->setToolTipText(QStringLiteral("Vantora Radio - Connecting..."));
    player->Play();
}

void Radio::Image3_Click() { closeWindow(); }

void Radio::closeWindow()
{
    if (!m_loaded || m_unloadPending)
        return;
    platform::MediaPlayer* player = MediaPlayer1.get();
    if (player->Visible())
        RegVol();
    FullStop = true;
    ActualMP3Play.clear();
    stopPlayer();
    Efftout();
    m_infoStep = 0;
    Label5->clear();
    Image5->setToolTip(kNoDetailsTip);
    for (QWidget* w : {Shape[1], static_cast<QWidget*>(Image2), static_cast<QWidget*>(Image3), Shape[2], Shape[3],
                       static_cast<QWidget*>(Image4), static_cast<QWidget*>(Image5)})
        w->hide();
    Image1->show();
    player->setVisible(false);
    player->setEnabled(false);
    m_marqueeStep = 0;
    MessNr = 1;
    m_formActive = false;
    requestUnload();
}

void Radio::Image4_Click()
{
    if (!m_loaded)
        return;
    platform::MediaPlayer* player = MediaPlayer1.get();
    radiologic::DisplayParts parts{player->ShowControls(), player->ShowDisplay(), player->ShowStatusBar(),
                                   player->ShowTracker()};
    parts = radiologic::cycleDisplay(parts);
    player->setShowControls(parts.controls);
    player->setShowDisplay(parts.display);
    player->setShowStatusBar(parts.statusBar);
    player->setShowTracker(parts.tracker);
}

void Radio::Image5_Click()
{
    if (!m_loaded)
        return;
    if (!m_form5)
        m_form5 = std::make_unique<Form5>(*this, host(), this);
    // Run modally once this handler has returned.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_loaded && m_form5)
                m_form5->showModal();
        },
        Qt::QueuedConnection);
}

void Radio::Image6_Click() { Image1_Click(); }

void Radio::Toolbar1_ButtonClick(const QString& key)
{
    if (!m_loaded)
        return;
    if (key == QLatin1String("end")) {
        closeWindow();
    } else if (key == QLatin1String("mute")) {
        MediaPlayer1->setMute(!MediaPlayer1->Mute());
        buttonMute->setChecked(MediaPlayer1->Mute());
    } else if (key == QLatin1String("Ontop")) {
        AppState& state = shared();
        state.Form1OnTop = !state.Form1OnTop;
        buttonOntop->setToolTip(state.Form1OnTop ? QStringLiteral("Always Visible: Enabled")
                                                 : QStringLiteral("Always Visible: Disabled"));
        buttonOntop->setChecked(state.Form1OnTop);
        platform::saveSetting(kOptions, QStringLiteral("form1.Form1OnTop"), platform::boolText(state.Form1OnTop));
        SetOnTop(this, state.Form1OnTop ? -1 : 0);
        host().ExtOntopmain();
    }
}

void Radio::setAlarmMute(bool mute)
{
    if (!m_loaded)
        return;
    MediaPlayer1->setMute(mute);
    buttonMute->setChecked(mute);
}

void Radio::ExtOntop()
{
    if (!m_host)
        return;
    const bool onTop = shared().Form1OnTop;
    buttonOntop->setToolTip(onTop ? QStringLiteral("Always Visible: Enabled")
                                  : QStringLiteral("Always Visible: Disabled"));
    buttonOntop->setChecked(onTop);
    SetOnTop(this, onTop ? -1 : 0);
}

void Radio::SavPos() { windowplace::store(this, QStringLiteral("Left"), QStringLiteral("Right")); }

// ---- Unloading ----

void Radio::requestUnload()
{
    FullStop = true;
    if (m_unloadPending)
        return;
    m_unloadPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_unloadPending)
                Unload();
        },
        Qt::QueuedConnection);
}

void Radio::Unload()
{
    m_unloadPending = false;
    if (!m_loaded)
        return;
    FullStop = true;
    for (platform::Timer* t : {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5, &Timer6, &Timer7, &Timer8})
        t->setEnabled(false);
    m_form5.reset();
    playerView->setPlayer(nullptr);
    if (MediaPlayer1) {
        disconnect(MediaPlayer1.get(), nullptr, this, nullptr);
        MediaPlayer1->Close();
        MediaPlayer1.reset();
    }
    hide();
    m_loaded = false;
    m_formActive = false;
    WebcamOn = false;
    RadioOn = false;
    if (m_host) {
        host().StopTimer7();
        host().radioWindowOpen(false);
    }
}

void Radio::closeEvent(QCloseEvent* event)
{
    // Closing the window by its frame is the toolbar's "end".
    event->ignore();
    closeWindow();
}

bool Radio::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        SavPos();
        if (watched == Image6 && m_host)
            Image6->setToolTip(shared().Shuffl ? QStringLiteral("Change...") : QStringLiteral("Next..."));
    } else if (event->type() == QEvent::MouseButtonRelease
               && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Image1) {
            Image1_Click();
            return true;
        }
        if (watched == Image2) {
            Image2_Click();
            return true;
        }
        if (watched == Image3) {
            Image3_Click();
            return true;
        }
        if (watched == Image4) {
            Image4_Click();
            return true;
        }
        if (watched == Image5) {
            Image5_Click();
            return true;
        }
        if (watched == Image6) {
            Image6_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Radio::keyPressEvent(QKeyEvent* event)
{
    if (playerVisible() && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        playerView->stepVolume(event->key() == Qt::Key_Up ? 1 : -1);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---- Player events ----

void Radio::showFolderControls()
{
    Shape[4]->setVisible(isStation(11, 12));
    if (m_host && shared().MP3D)
        Image6->setEnabled(true);
    else
        Image6->hide();
}

void Radio::showOffState()
{
    WebcamOn = false;
    Timer6.setEnabled(false);
    setStartStop(1, QStringLiteral("Start Vantora Radio"));
    setOnAir(1, kOffTip);
    MediaPlayer1->setToolTipText(QStringLiteral("Vantora Radio - Offline"));
}

void Radio::MediaPlayer1_Buffering(bool Start)
{
    if (FullStop)
        return;
    if (Start) {
        Timer5.setEnabled(false);
        m_infoStep = 0;
        Label5->clear();
        Image5->setToolTip(QStringLiteral("Connecting... - Click Here"));
        setConnection(1);
        Timer4.setEnabled(true);
        Timer6.setEnabled(true);
        Image4->setToolTip(QStringLiteral("Buffering Vantora Radio"));
        MediaPlayer1->setToolTipText(QStringLiteral("Vantora Radio - Connecting..."));
        return;
    }
    Timer4.setEnabled(false);
    setConnection(1);
    if (WebcamOn) {
        setOnAir(3, QStringLiteral("Vantora Radio's On - Click for Controls"));
        MediaPlayer1->setToolTipText(
            QStringLiteral("Vantora Radio - Online - Reception %1%").arg(MediaPlayer1->ReceptionQuality()));
        Timer5.setEnabled(true);
        m_infoStep = 0;
        Label5->clear();
    } else {
        setOnAir(1, kOffTip);
        MediaPlayer1->setToolTipText(QStringLiteral("Vantora Radio - Offline"));
    }
}

void Radio::MediaPlayer1_Disconnect(qint32)
{
    if (FullStop)
        return;
    showOffState();
    if (!Image1->isVisible())
        Timer3.setEnabled(true);
}

void Radio::MediaPlayer1_Error()
{
    if (FullStop)
        return;
    showOffState();
    Timer3.setEnabled(true);
}

void Radio::MediaPlayer1_PlayStateChange(qint32 OldState, qint32 NewState)
{
    if (FullStop)
        return;
    if (OldState == platform::MediaPlayer::Playing && NewState == platform::MediaPlayer::Stopped) {
        // A stop the window asked for is not the end of an item.
        if (!m_stopping)
            endOfItem();
    } else if (NewState == platform::MediaPlayer::Playing) {
        WebcamOn = true;
        Timer5.setEnabled(true);
        m_infoStep = 0;
        Label5->clear();
        showMissingSoundOutput();
        Afftout();
        setStartStop(2, QStringLiteral("Stop Vantora Radio"));
        setOnAir(3, kConnectingTip);
        MediaPlayer1->setToolTipText(QStringLiteral("Vantora Radio - Connecting..."));
        if (MediaPlayer1->Visible())
            RegVol();
    }
    if (!m_unloadPending && !FullStop)
        showFolderControls();
}

void Radio::endOfItem()
{
    RadioOn = false;
    bool retry = true;
    if (shared().MP3D) {
        // The next file is playing already: no off state, no retry.
        if (LoopMP3() || m_unloadPending)
            return;
    } else if (shared().DefaultRadio == 11) {
        // One media file: again with repeat, else it has been played once.
        if (shared().Rpeat) {
            Image1_Click();
            return;
        }
        retry = false;
    }
    if (Image1->isVisible())
        return;
    Timer3.setEnabled(retry);
    WebcamOn = false;
    Timer5.setEnabled(false);
    Timer6.setEnabled(false);
    m_infoStep = 0;
    Label5->clear();
    showOffState();
    Image5->setToolTip(kNoDetailsTip);
    setConnection(1);
    if (MediaPlayer1->Visible())
        RegVol();
    host().StopTimer7();
    for (QWidget* w :
         {Shape[4], static_cast<QWidget*>(Image6), static_cast<QWidget*>(Label2), static_cast<QWidget*>(Label3)})
        w->hide();
    stopPlayer();
}

void Radio::Timer3_Timer()
{
    RegVol();
    Image1_Click();
}
