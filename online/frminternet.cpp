#include "online/frminternet.h"

#include "core/datalist.h"
#include "core/sysmod.h"
#include "platform/base/atomicfile.h"
#include "platform/base/clock.h"
#include "platform/base/dialogs.h"
#include "platform/base/modal.h"
#include "platform/base/twips.h"
#include "platform/controls/accessibility.h"
#include "compat/win32/colors.h"
#include "platform/controls/dialogkeys.h"
#include "platform/online/download.h"
#include "compat/vb/conversions.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"
#include "platform/system/paths.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <array>

namespace {

using platform::kOptions;
using platform::kTwipsPerPixel;
constexpr quint32 kBarIdle = 0x404040;
constexpr quint32 kBarGreen = 0x00C000;
constexpr quint32 kRed = 0x0000FF;

const std::array<const char*, 13> kStateTexts{
    "No State - Connection closed",
    "Searching Host computer IP Address...",
    "IP Address found...",
    "Connecting...",
    "Connection with host computer successful...",
    "Request sent to host computer...",
    "Request successfully sent...",
    "Host computer answering...",
    "Host computer successfully answered...",
    "Disconnecting from host computer...",
    "Disconnection successful...",
    "Error during communication with host computer...",
    "Data transfer successful...",
};

OnlineStation userStation(int i)
{
    return {platform::getSetting(kOptions, platform::optionkeys::stationName(i), DataList::factoryName(i)),
            platform::getSetting(kOptions, platform::optionkeys::stationUrl(i), DataList::factoryURL(i))};
}

qint16 userDefaultStation()
{
    try {
        return platform::toInt16(
            platform::getSetting(kOptions, platform::optionkeys::kDefaultRadio, QStringLiteral("1")));
    } catch (const std::exception&) {
        return 1; // a damaged value: no default pre-selected beyond the first
    }
}

QString joined(const OnlineStation& s) { return s.name + QStringLiteral(" - ") + s.url; }

} // namespace

frmInternet::frmInternet(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmInternet"));
    setWindowTitle(QStringLiteral("Vantora - Internet Radio List"));
    setFixedSize(10110 / kTwipsPerPixel, 7395 / kTwipsPerPixel);

    Shape1 = new QWidget(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(8, 8, width() - 16, 22);
    Shape1->setAutoFillBackground(true);
    Label1 = new QLabel(Shape1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(0, 0, Shape1->width(), Shape1->height());
    Label1->setAlignment(Qt::AlignCenter);

    Label3 = new QLabel(QStringLiteral("Total 0"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(8, 34, 200, 18);
    Label2 = new QLabel(QStringLiteral("Selected 0/10"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(width() - 208, 34, 200, 18);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(8, 56, width() - 16, height() - 56 - 72);
    // Every row is one line with a check box: with tens of thousands of rows,
    // measuring each one on the window thread would stall the window.
    List1->setUniformItemSizes(true);

    Label4 = new QLabel(QStringLiteral("Default Radio"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(8, height() - 60, 100, 22);
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setGeometry(110, height() - 60, width() - 118, 22);

    Command2 = new QPushButton(QStringLiteral("Refresh"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(width() - 216, height() - 32, 100, 26);
    Command1 = new QPushButton(QStringLiteral("Submit"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(width() - 108, height() - 32, 100, 26);
    Command1->setAutoDefault(false);
    Command2->setAutoDefault(false);

    platform::nameAfterCaption(Combo1, Label4);
    platform::DialogKeys::install(this)->setDefault(Command1);

    connect(List1, &QListWidget::itemChanged, this, &frmInternet::List1_ItemCheck);
    connect(Combo1, &QComboBox::activated, this, &frmInternet::Combo1_Click);
    connect(Command1, &QPushButton::clicked, this, &frmInternet::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmInternet::Command2_Click);
    connect(&Timer1, &platform::Timer::timeout, this, &frmInternet::Timer1_Timer);
}

frmInternet::~frmInternet() = default;

int frmInternet::showModal()
{
    setResult(QDialog::Rejected);
    m_loadOnShow = true;
    platform::modalWindows().runModal(this);
    return result();
}

void frmInternet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        move(primary->availableGeometry().center() - rect().center());
    Form_Activate();
    if (m_loadOnShow) {
        // The download starts once the window is up.
        m_loadOnShow = false;
        QTimer::singleShot(0, this, &frmInternet::Form_Load);
    }
}

void frmInternet::hideEvent(QHideEvent* event)
{
    Timer1.setEnabled(false);
    cancelDownload();
    ++m_fillRound;
    QDialog::hideEvent(event);
}

void frmInternet::Form_Activate()
{
    AppHost* host = m_host ? m_host.get() : runningHost();
    if (host && !host->state().Form1OnTop) {
        host->state().Form1OnTop = false;
        SetOnTop(this, 0);
        return;
    }
    SetOnTop(this, -1);
}

void frmInternet::Form_Load()
{
    Label2->clear();
    Label3->clear();
    Command2->setEnabled(false);
    Timer1.setEnabled(true);
    StrtFrm();
}

void frmInternet::Command2_Click() { Form_Load(); }

void frmInternet::StrtFrm()
{
    ++m_fillRound;
    m_lastState = 15;
    m_limit = 9;
    m_chosenDefault.clear();
    m_entries.clear();
    cancelDownload();

    platform::Downloader& inet = platform::downloader();
    connect(&inet, &platform::Downloader::StateChanged, this, &frmInternet::Inet1_StateChanged, Qt::UniqueConnection);
    Inet1_StateChanged(inet.state());
    m_waitStartedMs = platform::monotonicMs();
    m_download = inet.get(platform::webUrl(QStringLiteral("/VN/VN.log")), {}, this);
    connect(m_download, &platform::DownloadJob::finished, this, &frmInternet::listArrived);
    showWait();
}

void frmInternet::cancelDownload()
{
    if (m_download)
        m_download->cancel();
    m_download = nullptr;
}

bool frmInternet::downloading() const { return m_download && m_download->running(); }

// While the list is on its way the window counts the seconds it has waited;
// closing it cancels the download.
void frmInternet::showWait()
{
    if (!downloading())
        return;
    const qint64 waited = (platform::monotonicMs() - m_waitStartedMs) / 1000;
    Label3->setText(QStringLiteral("Waiting for the list... %1 s").arg(waited));
}

void frmInternet::listArrived(const platform::Download& list)
{
    m_download = nullptr;
    Label3->clear();
    if (!list.ok) {
        // Nothing usable arrived: the user's stations stay as they are.
        platform::dialogs().msgBox(QStringLiteral("Error: ") + list.error,
                                   platform::mb::OkOnly | platform::mb::Critical, QStringLiteral("Online Radio List"));
        Command2->setEnabled(true);
        reject();
        emit listLoaded();
        return;
    }
    platform::writeFileAtomically(platform::hostPath(QStringLiteral("C:\\VN.log")), list.data);
    // An empty shared list still lists the user's own stations.
    showList(parseStationList(list.data));
}

// A long list is added a slice at a time, the window answering in between.
void frmInternet::showList(const QList<OnlineStation>& shared)
{
    m_inCheck = true;
    List1->clear();
    Combo1->clear();
    m_rowTexts.clear();
    m_pendingRows = shared;
    m_nextRow = 0;
    addNextSlice(++m_fillRound);
}

void frmInternet::addNextSlice(quint64 round)
{
    if (round != m_fillRound)
        return; // a refresh or a close came first
    const qsizetype end = std::min<qsizetype>(m_nextRow + kRowsPerSlice, m_pendingRows.size());
    for (; m_nextRow < end; ++m_nextRow)
        addRow(m_pendingRows[m_nextRow]);
    if (m_nextRow < m_pendingRows.size()) {
        QTimer::singleShot(0, this, [this, round] { addNextSlice(round); });
        return;
    }
    m_pendingRows.clear();
    finishList();
}

void frmInternet::finishList()
{
    for (int i = 1; i <= 9; ++i) {
        const OnlineStation mine = userStation(i);
        if (!mine.name.isEmpty() && !mine.url.isEmpty() && !m_rowTexts.contains(joined(mine)))
            addRow(mine);
    }
    Label3->setText(QStringLiteral("Total %1").arg(m_entries.size()));
    Command2->setEnabled(true);

    m_defaultRadio = userDefaultStation();
    m_defaultRowText.clear();
    for (int i = 1; i <= 9; ++i) {
        const QString url = userStation(i).url;
        for (int j = 0; j < m_entries.size(); ++j) {
            if (m_entries[j].url != url)
                continue;
            if (i == m_defaultRadio)
                m_defaultRowText = rowText(j);
            List1->item(j)->setCheckState(Qt::Checked);
            break;
        }
    }
    // At most nine rows were checked: the choice is made once for all of them.
    m_inCheck = false;
    showCounts();
    rebuildDefaultChoice();
    if (List1->count() > 0)
        List1->setCurrentRow(0);
    Timer1.setEnabled(true);
    Timer1.setInterval(500);
    emit listLoaded();
}

void frmInternet::addRow(const OnlineStation& station)
{
    m_entries.append(station);
    const QString text = joined(station);
    m_rowTexts.insert(text);
    auto* item = new QListWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    List1->addItem(item);
}

QString frmInternet::rowText(int row) const { return List1->item(row)->text(); }

int frmInternet::checkedCount() const
{
    int n = 0;
    for (int i = 0; i < List1->count(); ++i)
        if (List1->item(i)->checkState() == Qt::Checked)
            ++n;
    return n;
}

void frmInternet::showCounts() { Label2->setText(QStringLiteral("Selected %1/%2").arg(checkedCount()).arg(m_limit)); }

void frmInternet::List1_ItemCheck(QListWidgetItem* item)
{
    if (m_inCheck)
        return;
    m_inCheck = true;
    if (item && item->checkState() == Qt::Checked && checkedCount() > m_limit)
        item->setCheckState(Qt::Unchecked);
    m_inCheck = false;
    showCounts();
    rebuildDefaultChoice();
    if (List1->count() > 0)
        List1->setCurrentRow(0);
}

void frmInternet::rebuildDefaultChoice()
{
    Combo1->clear();
    for (int i = 0; i < List1->count(); ++i)
        if (List1->item(i)->checkState() == Qt::Checked)
            Combo1->addItem(List1->item(i)->text());
    selectDefault();
    m_chosenDefault = Combo1->currentIndex() >= 0 ? Combo1->currentText() : QString();
}

// The user's own default station stays the default until the user picks
// another; when it is not among the checked rows, none is pre-selected and
// Submit keeps the stored default.
void frmInternet::selectDefault()
{
    if (Combo1->count() == 0)
        return;
    if (m_chosenDefault.isEmpty()) {
        Combo1->setCurrentIndex(m_defaultRowText.isEmpty()
                                    ? -1
                                    : Combo1->findText(m_defaultRowText, Qt::MatchExactly | Qt::MatchCaseSensitive));
        return;
    }
    for (int i = 0; i < qMin(10, Combo1->count()); ++i) {
        if (Combo1->itemText(i) == m_chosenDefault) {
            Combo1->setCurrentIndex(i);
            return;
        }
    }
    Combo1->setCurrentIndex(0);
}

void frmInternet::Combo1_Click() { m_chosenDefault = Combo1->currentText(); }

void frmInternet::Command1_Click()
{
    const QString chosen = Combo1->currentIndex() >= 0 ? Combo1->currentText() : QString();
    QList<QPair<QString, QString>> urls;
    QList<QPair<QString, QString>> names;
    QString defaultRadio;
    int start = 0;
    for (int i = 1; i <= 9; ++i) {
        OnlineStation station;
        for (int j = start; j < m_entries.size(); ++j) {
            if (List1->item(j)->checkState() != Qt::Checked)
                continue;
            station = m_entries[j];
            if (defaultRadio.isEmpty() && joined(station) == chosen)
                defaultRadio = QString::number(i);
            start = j + 1;
            break;
        }
        urls.append({platform::optionkeys::stationUrl(i), station.url});
        names.append({platform::optionkeys::stationName(i), station.name});
    }
    // One change: a crash leaves all the old stations or all the new ones.
    QList<QPair<QString, QString>> values = urls + names;
    if (!defaultRadio.isEmpty())
        values.append({platform::optionkeys::kDefaultRadio, defaultRadio});
    platform::saveSettings(kOptions, values);
    accept();
}

void frmInternet::setLabelColour(QLabel* label, bool red)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, red ? platform::fromBgr(kRed) : palette().color(QPalette::WindowText));
    label->setPalette(pal);
}

void frmInternet::Inet1_StateChanged(int state)
{
    if (state == m_lastState)
        return;
    const auto setBar = [this](quint32 colour) {
        QPalette pal = Shape1->palette();
        pal.setColor(QPalette::Window, platform::fromBgr(colour));
        Shape1->setPalette(pal);
    };
    if (state == 0) {
        setBar(kBarIdle);
        for (QLabel* l : {Label1, Label2, Label3})
            setLabelColour(l, true);
        Timer1.setInterval(2000);
    } else if ((state >= 1 && state <= 8) || state == 12) {
        setBar(kBarGreen);
        for (QLabel* l : {Label1, Label2, Label3})
            setLabelColour(l, false);
        Timer1.setInterval(2000);
    } else if (state >= 9 && state <= 11) {
        setBar(kRed);
        for (QLabel* l : {Label1, Label2, Label3})
            setLabelColour(l, false);
        Timer1.setInterval(1000);
    }
    if (state >= 0 && state <= 12)
        Label1->setText(QString::fromLatin1(kStateTexts[static_cast<size_t>(state)]));
    m_lastState = state;
}

void frmInternet::Timer1_Timer()
{
    Inet1_StateChanged(platform::downloader().state());
    showWait();
}
