#include "mainwindow/form1.h"

#include "mainwindow/appwindows.h"
#include "platform/base/dialogs.h"

#include <QAction>
#include <QLabel>
#include <QMouseEvent>

// The radio and media commands of the main window: the station menu, the play
// pictures and F2, and the clicks on the status pictures.

namespace {

// A station name as a menu caption: an "&" in the name is shown, not taken
// as the mark of a shortcut letter.
QString menuCaption(QString name) { return name.replace(QLatin1Char('&'), QStringLiteral("&&")); }

// Hands the left clicks on some of the main window's pictures to a handler.
class PictureClicks : public QObject {
public:
    PictureClicks(QObject* parent, std::function<void(QObject*)> onClick)
        : QObject(parent), m_onClick(std::move(onClick))
    {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease
            && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            m_onClick(watched);
            return true;
        }
        return false;
    }

private:
    std::function<void(QObject*)> m_onClick;
};

QString urlItem(int i) { return QStringLiteral("url_%1").arg(i); }

constexpr std::array<int, 11> kStationItems{1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12};

} // namespace

void Form1::wireRadio()
{
    for (int i : kStationItems) {
        QAction* item = command(urlItem(i));
        item->setCheckable(true);
        if (!item->shortcut().isEmpty()) {
            item->setShortcutContext(Qt::WindowShortcut);
            addAction(item);
        }
        connect(item, &QAction::triggered, this, [this, i] { url_Click(static_cast<qint16>(i)); });
    }
    enableCommand(QStringLiteral("Plydf"), &Form1::Plydf_Click);

    // The radio picture blinks while the radio plays: its click area lies over it.
    Image7 = new QLabel(Image6->parentWidget());
    Image7->setObjectName(QStringLiteral("Image7"));
    Image7->setGeometry(Image6->geometry());
    Image7->setToolTip(QStringLiteral("Play Default... F2"));
    Image7->setAttribute(Qt::WA_TranslucentBackground);
    Image7->setMouseTracking(true);
    Image7->installEventFilter(this);
    Image7->raise();

    auto* clicks = new PictureClicks(this, [this](QObject* picture) { indicatorClick(picture); });
    for (QWidget* picture :
         {Shape2, static_cast<QWidget*>(Image2), static_cast<QWidget*>(Image3), static_cast<QWidget*>(Image5),
          static_cast<QWidget*>(Image6), static_cast<QWidget*>(Image7), static_cast<QWidget*>(Image8)})
        picture->installEventFilter(clicks);
}

void Form1::indicatorClick(QObject* picture)
{
    // While the alarm rings a click on an indicator only snoozes it.
    const bool ringing = snoozealarm->isEnabled();
    if (picture == Image6 || picture == Image7) {
        Image6_Click();
    } else if (ringing || picture == Shape2 || picture == Image5) {
        SN();
    } else if (picture == Image2) {
        alarmbeep_Click();
    } else if (picture == Image3) {
        beephour_Click();
    } else if (picture == Image8) {
        radalarm_Click();
    }
}

// ---- The station menu ----

void Form1::ActURL()
{
    for (int i = 1; i <= 9; ++i) {
        QAction* item = command(urlItem(i));
        const bool defined = !StationURL[static_cast<size_t>(i)].isEmpty();
        item->setText(defined ? menuCaption(StationName[static_cast<size_t>(i)]) : QString());
        item->setVisible(defined);
        item->setEnabled(defined);
    }
    for (int i : {11, 12}) {
        QAction* item = command(urlItem(i));
        if (StationURL[static_cast<size_t>(i)].isEmpty()) {
            item->setEnabled(false);
        } else {
            item->setText(menuCaption(StationName[static_cast<size_t>(i)]));
            item->setEnabled(true);
        }
    }
    AffSelect(DefaultRadio);
}

void Form1::AffSelect(qint16 Index)
{
    for (int i : kStationItems)
        command(urlItem(i))->setChecked(i == Index);
}

void Form1::CheckUrlavail()
{
    AnyStation = false;
    for (int i : kStationItems)
        if (command(urlItem(i))->isEnabled())
            AnyStation = true;
}

namespace {

void showNoStation()
{
    platform::dialogs().msgBox(QStringLiteral("No default URL's and/or MP3's defined.\r\n"
                                              "Use the [Preferences] to do it.\r\n"),
                               platform::mb::Critical, QStringLiteral("Vantora Radio"));
}

} // namespace

// RaURL and the folder flags for a station about to be played.
void Form1::stationForPlay(qint16 Index)
{
    RaURL = StationURL[static_cast<size_t>(Index)];
    MP3D = Index == 12;
    if (MP3D)
        MP3Dir = RaURL;
}

void Form1::url_Click(qint16 Index)
{
    CheckUrlavail();
    if (!AnyStation) {
        showNoStation();
        return;
    }
    if (Index < 1 || Index > 12)
        return;
    RadioWindow* radio = radioWindow();
    if (!radio)
        return;
    radio->clearFileInHand();
    DefaultRadio = Index;
    stationForPlay(Index);
    radio->SelectRad(DefaultRadio);
    RegOptions(7);
    AffSelect(Index);
    // An open window plays the new station at once, running or stopped.
    if (!radio->isVisible())
        radio->Show();
    else
        radio->Image1_Click();
}

void Form1::Image6_Click()
{
    CheckUrlavail();
    if (!AnyStation) {
        showNoStation();
        return;
    }
    if (m_radio && m_radio->isVisible())
        return;
    showStation(DefaultRadio);
}

// Shows the radio window for a station without storing it as the current one.
RadioWindow* Form1::showStation(qint16 Index)
{
    RadioWindow* radio = radioWindow();
    if (!radio)
        return nullptr;
    stationForPlay(Index);
    radio->SelectRad(Index);
    radio->Show();
    return radio;
}

void Form1::Plydf_Click() { Image6_Click(); }

// ---- The radio window ----

RadioWindow* Form1::radioWindow()
{
    if (m_radio)
        return m_radio;
    if (m_radioFactory)
        setRadio(m_radioFactory());
    else if (appWindows().loadedForm1() == this)
        appWindows().radio(); // hands itself to this window
    return m_radio;
}

void Form1::radioWindowOpen(bool open)
{
    QAction* seturl = command(QStringLiteral("seturl"));
    if (open) {
        if (!m_radioHoldsSeturl) {
            m_seturlWasEnabled = seturl->isEnabled();
            m_radioHoldsSeturl = true;
        }
        seturl->setEnabled(false);
        return;
    }
    if (m_radioHoldsSeturl) {
        seturl->setEnabled(m_seturlWasEnabled);
        m_radioHoldsSeturl = false;
    }
}
