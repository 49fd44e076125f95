#include "worldtime/frmtz.h"

#include "core/sysmod.h"
#include "platform/base/clock.h"
#include "platform/base/dialogs.h"
#include "platform/base/twips.h"
#include "platform/controls/accessibility.h"
#include "compat/win32/colors.h"
#include "platform/controls/dialogkeys.h"
#include "compat/vb/conversions.h"
#include "compat/vb/formats.h"
#include "compat/win32/registry.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"
#include "worldtime/tzdatabase.h"
#include "worldtime/zoneentries.h"
#include "worldtime/zonetime.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

using namespace worldtime;

using platform::kTwipsPerPixel;
const QString kTimePattern = QStringLiteral("dddd dd mmmm yyyy - hh:mm:ss");
const QString kAddTitle = QStringLiteral("Vantora - Add Time Zone");
const QStringList kFormats{QStringLiteral("ddd dd mmm yyyy"), QStringLiteral("dd mmm yyyy"),
                           QStringLiteral("dd mm yyyy")};

constexpr quint32 kCountColour = 0x808000;
constexpr quint32 kFullColour = 0x0000C0;
constexpr quint32 kNameBack = 0xFFFFFF;
constexpr quint32 kNameBackFull = 0x808080;
constexpr quint32 kNameText = 0x000000;

// A caption over a field; it is the field's name for screen readers too.
QLabel* caption(const QString& text, QWidget* parent, QWidget* field = nullptr)
{
    auto* label = new QLabel(text, parent);
    if (field)
        platform::nameAfterCaption(field, label);
    return label;
}

QListWidget* zoneList(const QString& name, const QString& tip, QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setToolTip(tip);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

void setColours(QWidget* w, QPalette::ColorRole role, quint32 bgr)
{
    QPalette pal = w->palette();
    pal.setColor(role, platform::fromBgr(bgr));
    w->setPalette(pal);
}

} // namespace

FrmTZ::FrmTZ(AppHost* host, QWidget* parent) : QWidget(parent, Qt::Window), m_host(host)
{
    setObjectName(QStringLiteral("FrmTZ"));
    setWindowTitle(QStringLiteral("Vantora - Time Zone"));
    resize(6510 / kTwipsPerPixel, 8715 / kTwipsPerPixel);
    buildControls();
    connect(&Timer1, &platform::Timer::timeout, this, &FrmTZ::Timer1_Timer);
    connect(&Timer2, &platform::Timer::timeout, this, &FrmTZ::Timer2_Timer);
    connect(&m_offsetChange, &platform::Timer::timeout, this, &FrmTZ::inputsChanged);
}

void FrmTZ::buildControls()
{
    auto* layout = new QVBoxLayout(this);

    List1 = zoneList(QStringLiteral("List1"), QStringLiteral("Local System Time Zone"), this);
    layout->addWidget(caption(QStringLiteral("Local System Time Zone"), this, List1));
    List1->setMaximumHeight(60);
    layout->addWidget(List1);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setToolTip(QStringLiteral("Date and Time in Local Time Zone"));
    layout->addWidget(Label2);

    List2 = zoneList(QStringLiteral("List2"), QStringLiteral("Select a Target Time Zone"), this);
    layout->addWidget(caption(QStringLiteral("VN Target Time Zone"), this, List2));
    layout->addWidget(List2, 1);
    sResult = new QLabel(this);
    sResult->setObjectName(QStringLiteral("sResult"));
    sResult->setToolTip(QStringLiteral("Date and Time in Selected Time Zone"));
    layout->addWidget(sResult);

    auto* add = new QGroupBox(QStringLiteral("Add Time Zone"), this);
    auto* addLayout = new QHBoxLayout(add);
    Text1 = new QLineEdit(add);
    addLayout->addWidget(caption(QStringLiteral("VN Target Time Zone Name"), add, Text1));
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setToolTip(QStringLiteral("Enter a name for this Time Zone"));
    Text1->setMaxLength(6);
    Text1->setAutoFillBackground(true);
    addLayout->addWidget(Text1);
    Command3 = new QPushButton(QStringLiteral("Add Target Time Zone"), add);
    Command3->setObjectName(QStringLiteral("Command3"));
    addLayout->addWidget(Command3);
    layout->addWidget(add);

    auto* del = new QGroupBox(QStringLiteral("Delete Time Zone"), this);
    auto* delLayout = new QGridLayout(del);
    List3 = zoneList(QStringLiteral("List3"), QStringLiteral("Select a Time Zone to delete it..."), del);
    delLayout->addWidget(caption(QStringLiteral("Actual Time Zones"), del, List3), 0, 0);
    Label1_3 = new QLabel(QStringLiteral("0/0"), del);
    Label1_3->setObjectName(QStringLiteral("Label1_3"));
    Label1_3->setToolTip(QStringLiteral("Selected Time Zones"));
    delLayout->addWidget(Label1_3, 0, 1, Qt::AlignRight);
    List3->setMaximumHeight(90);
    delLayout->addWidget(List3, 1, 0, 1, 2);
    Command2 = new QPushButton(QStringLiteral("Delete Selected Time Zone"), del);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setEnabled(false);
    delLayout->addWidget(Command2, 2, 0, 1, 2);
    layout->addWidget(del);

    auto* format = new QGroupBox(QStringLiteral("TZ Format"), this);
    auto* formatLayout = new QVBoxLayout(format);
    List4 = zoneList(QStringLiteral("List4"), QString(), format);
    formatLayout->addWidget(caption(QStringLiteral("Time Zones Date Format"), format, List4));
    List4->addItems(kFormats);
    List4->setMaximumHeight(60);
    formatLayout->addWidget(List4);
    layout->addWidget(format);

    // The calculation runs from code only: its button is not shown.
    Command1 = new QPushButton(QStringLiteral("Calculate"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setVisible(false);

    // Return in the name field adds the zone; Escape hides the window as its close box does.
    platform::DialogKeys::install(this)->setDefault(Command3, Text1);

    connect(Command1, &QPushButton::clicked, this, &FrmTZ::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FrmTZ::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &FrmTZ::Command3_Click);
    connect(List2, &QListWidget::itemSelectionChanged, this, &FrmTZ::List2_Click);
    connect(List3, &QListWidget::itemSelectionChanged, this, &FrmTZ::List3_Click);
    connect(List4, &QListWidget::itemSelectionChanged, this, &FrmTZ::List4_Click);
}

void FrmTZ::Form_Load()
{
    Timer1.setEnabled(false);
    List1->clear();
    List2->clear();
    List3->clear();
    const QString format = readOption(platform::optionkeys::kTZFormat, m_host->state().TZFormat);
    {
        const QSignalBlocker block(List4);
        List4->clearSelection();
        const auto found = List4->findItems(format, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (!found.isEmpty())
            List4->setCurrentItem(found.first());
    }
    Label2->setText(QLatin1Char(' ') + platform::formatDateTime(platform::clock().now(), kTimePattern));
    m_tableRead = false;
    List1->setEnabled(false);
    // The first calculation comes with the clock's first tick, hidden or not;
    // the zone database gets built meanwhile, off the window thread.
    tzDatabaseReady(this, [] {});
    Timer1.setEnabled(true);
    AffSelTZ();
    watchInputs();
}

void FrmTZ::readZoneTable()
{
    if (m_tableRead)
        return;
    m_tableRead = true;
    m_table = LoadZoneTable();
    {
        const QSignalBlocker block(List2);
        if (!m_table.opened) {
            List1->addItem(QStringLiteral("Could not open registry for timezones"));
            List2->addItem(QStringLiteral("Could not open registry for timezones"));
        } else {
            List1->addItems(m_table.TZDisplayNames);
            List2->addItems(m_table.TZDisplayNames);
        }
    }
    LoadDefTZ();
}

void FrmTZ::watchInputs()
{
    if (m_inputWatch)
        return;
    m_inputWatch = new QFileSystemWatcher(this);
    // The converter's default home zone lives in the registry's files; the
    // computer's zone is the link /etc/localtime, replaced whole when it changes.
    const QString registryFolder = QFileInfo(platform::registryFilePath(platform::HKEY_LOCAL_MACHINE)).absolutePath();
    QDir().mkpath(registryFolder);
    QStringList folders{registryFolder};
    if (QFileInfo::exists(QStringLiteral("/etc/localtime")))
        folders.append(QStringLiteral("/etc"));
    m_inputWatch->addPaths(folders);
    connect(m_inputWatch, &QFileSystemWatcher::directoryChanged, this, &FrmTZ::inputsChanged);
}

void FrmTZ::inputsChanged()
{
    ResetReg();
    Command1_Click();
    armOffsetChange();
}

// The calculation follows the zones' own clocks: it runs again at the next
// change of offset of the home or the target zone.
void FrmTZ::armOffsetChange()
{
    readZoneTable();
    constexpr qint64 kLongestWaitMs = 7LL * 24 * 3600 * 1000;
    const QDateTime now = platform::clock().now();
    qint64 wait = kLongestWaitMs;
    for (const QString& key : {m_homeZone, selectedKey(List2)}) {
        const TzZone* zone = key.isEmpty() ? nullptr : tzDatabase().find(key);
        if (!zone || !zone->zone.hasTransitions())
            continue;
        const QTimeZone::OffsetData next = zone->zone.nextTransition(now);
        if (next.atUtc.isValid())
            wait = std::min(wait, std::max<qint64>(1, now.msecsTo(next.atUtc)));
    }
    m_offsetChange.setInterval(static_cast<int>(wait));
    m_offsetChange.setEnabled(true);
}

void FrmTZ::LoadDefTZ()
{
    const DefaultZones zones = readDefaultZones();
    m_homeZone = zones.source;
    if (zones.hasTarget)
        m_targetZone = zones.target;
    selectKey(List1, m_homeZone);
    selectKey(List2, m_targetZone);
}

void FrmTZ::ResetReg()
{
    readZoneTable();
    m_homeZone = readDefaultSourceZone();
    selectKey(List1, m_homeZone);
    if (List2->selectedItems().isEmpty())
        selectKey(List2, m_targetZone);
}

void FrmTZ::selectKey(QListWidget* list, const QString& keyName)
{
    const int index = m_table.indexOfKey(keyName);
    if (index < 0 || index >= list->count()) {
        if (list == List1)
            list->clearSelection();
        return;
    }
    if (list->currentRow() != index || !list->item(index)->isSelected())
        list->setCurrentRow(index);
    if (isVisible())
        list->scrollToItem(list->item(index));
}

QString FrmTZ::selectedKey(const QListWidget* list) const
{
    const int row = list->currentRow();
    return row >= 0 && row < m_table.size() && list->item(row)->isSelected() ? m_table.TZKeyNames[row] : QString();
}

std::optional<qint32> FrmTZ::biasAt(int index) const
{
    if (index < 0 || index >= m_table.size())
        return std::nullopt;
    return m_table.biases[index];
}

QString FrmTZ::targetTimeText(int home, int target) const
{
    const QDateTime now = platform::clock().now();
    if (const TzZone* zone = tzDatabase().find(m_table.TZKeyNames[target]))
        return platform::formatDateTime(zoneTimeByRules(now, zone->zone), kTimePattern);
    return platform::formatDateTime(zoneTimeByBias(now, *biasAt(home), *biasAt(target)), kTimePattern);
}

void FrmTZ::Command1_Click()
{
    readZoneTable();
    if (List2->count() > 0 && List2->selectedItems().isEmpty())
        List2->setCurrentRow(0);
    const int home = List1->selectedItems().isEmpty() ? -1 : List1->currentRow();
    const int target = List2->currentRow();
    const auto homeBias = biasAt(home);
    const auto targetBias = biasAt(target);
    if (!homeBias || !targetBias)
        return;

    // The calculation's values are stored as one change.
    const platform::SettingsBatch oneWrite;
    writeOption(QStringLiteral("DefaultTZVal"), platform::intText(*homeBias));
    const int count = std::clamp<int>(m_host->state().LastTZAdd, 0, kMaxZones);
    if (count < kMaxZones) {
        const int k = count + 1;
        writeOption(QStringLiteral("VNTZval%1").arg(k), platform::intText(*targetBias));
        m_nameTable[static_cast<size_t>(k)] = m_table.TZDisplayNames[target];
        writeOption(QStringLiteral("VNTZname%1").arg(k), m_table.TZDisplayNames[target]);
    }
    // Hidden, the times are not shown: they are made when the window shows.
    if (isVisible())
        sResult->setText(targetTimeText(home, target));
}

void FrmTZ::List2_Click()
{
    Command1_Click();
    if (!isVisible())
        armOffsetChange();
}

void FrmTZ::Timer1_Timer()
{
    if (!m_tableRead && !isVisible() && !tzDatabaseReady(this, [this] { Timer1_Timer(); })) {
        // Hidden, the first calculation waits for the zone database's build.
        Timer1.setEnabled(false);
        return;
    }
    readZoneTable();
    if (isVisible()) {
        showClock();
        return;
    }
    // Hidden, the clock stops after its first calculation: from then on the
    // inputs' changes start it.
    Timer1.setEnabled(false);
    inputsChanged();
}

void FrmTZ::showClock()
{
    Label2->setText(QLatin1Char(' ') + platform::formatDateTime(platform::clock().now(), kTimePattern));
    Command1_Click();
}

void FrmTZ::zoneCountChanged()
{
    // Before the first tick there is nothing to follow: that tick calculates.
    if (!isVisible() && m_tableRead)
        Command1_Click();
}

void FrmTZ::Timer2_Timer() { ResetReg(); }

void FrmTZ::Command3_Click()
{
    const auto info = [](const QString& text) {
        platform::dialogs().msgBox(text, platform::mb::Information, kAddTitle);
    };
    const int home = List1->selectedItems().isEmpty() ? -1 : List1->currentRow();
    const int target = List2->selectedItems().isEmpty() ? -1 : List2->currentRow();
    if (target < 0 || target >= m_table.size())
        return;
    if (home == target) {
        info(QStringLiteral("You must specify another Time Zone than the system default Time Zone."));
        return;
    }
    const QString name = Text1->text();
    if (name.isEmpty()) {
        info(QStringLiteral("You must specify a Time Zone name"));
        return;
    }
    int count = storedZoneCount();
    m_host->state().LastTZAdd = static_cast<qint16>(count);
    if (count >= kMaxZones) {
        AffSelTZ();
        return;
    }

    if (saveDefaultTarget(m_table.TZKeyNames[target]) != platform::ERROR_SUCCESS)
        platform::dialogs().msgBox(QStringLiteral("Problem writing to registry.\r\nCouldn't set value as Default."),
                                   platform::mb::OkOnly, QStringLiteral("Err :: Time Calculator"));
    else
        m_targetZone = m_table.TZKeyNames[target];

    const QString display = m_table.TZDisplayNames[target];
    bool refused = false;
    for (int i = 1; i <= count; ++i) {
        const ZoneEntry entry = readEntry(i);
        if (entry.display == display) {
            info(QStringLiteral("This Time Zone was already selected and named ") + entry.shortName);
            refused = true;
        }
        if (entry.shortName == name) {
            info(QStringLiteral("This Time Zone Name is already in use for another Time Zone.\r\n"
                                "Please, change this Time Zome name."));
            Text1->setFocus();
            refused = true;
        }
    }
    if (refused)
        return;

    ZoneEntry entry;
    entry.number = QString::number(count + 1);
    entry.listIndex = platform::intText(target);
    entry.shortName = name;
    entry.bias = platform::intText(m_table.biases[target]);
    entry.display = display;
    count = appendEntry(count, entry);
    m_host->state().LastTZAdd = static_cast<qint16>(count);
    platform::dialogs().msgBox(name + QStringLiteral(" set to \"") + display + QStringLiteral("\".\r\n"),
                               platform::mb::Information, QStringLiteral("Vantora - Time Zone"));
    Text1->clear();
    AffSelTZ();

    m_host->state().LastTZAdd = static_cast<qint16>(storedZoneCount());
    if (m_host->state().LastTZAdd < kMaxZones)
        Text1->setFocus();
    else
        List2->setFocus();
    m_host->SetTZ();
    Command2->setEnabled(false);
}

void FrmTZ::Command2_Click()
{
    const int count = storedZoneCount();
    if (count == 0) {
        Text1->setFocus();
        return;
    }
    if (List3->selectedItems().isEmpty())
        return;
    const int k = List3->currentRow() + 1;
    m_host->state().LastTZAdd = static_cast<qint16>(removeEntry(k, count));
    AffSelTZ();
    m_host->SetTZ();
    Command2->setEnabled(false);
}

void FrmTZ::List3_Click() { Command2->setEnabled(!List3->selectedItems().isEmpty()); }

void FrmTZ::List4_Click()
{
    const QList<QListWidgetItem*> chosen = List4->selectedItems();
    if (chosen.isEmpty())
        return;
    m_host->state().TZFormat = chosen.first()->text();
    writeOption(platform::optionkeys::kTZFormat, m_host->state().TZFormat);
    // The rows take the new format at once rather than at the next second.
    m_host->SetTZ();
}

void FrmTZ::AffSelTZ()
{
    const int count = storedZoneCount();
    m_host->state().LastTZAdd = static_cast<qint16>(count);
    {
        const QSignalBlocker block(List3);
        List3->clear();
    }
    const bool room = count < kMaxZones;
    setColours(Label1_3, QPalette::WindowText, room ? kCountColour : kFullColour);
    if (!room)
        Text1->clear();
    Text1->setEnabled(room);
    setColours(Text1, QPalette::Base, room ? kNameBack : kNameBackFull);
    // Its own background, so its own text colour: a dark desktop theme's
    // light text would vanish on it.
    setColours(Text1, QPalette::Text, kNameText);
    Command3->setEnabled(room);
    Label1_3->setText(QString::number(count) + QStringLiteral("/5"));
    for (int i = 1; i <= count; ++i)
        List3->addItem(readOption(QStringLiteral("LastTZAddName%1").arg(i)));
    Command2->setEnabled(false);
}

void FrmTZ::closeEvent(QCloseEvent* event)
{
    // The chooser is never unloaded by its close box: it hides and keeps running.
    event->ignore();
    hide();
}

void FrmTZ::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        if (const QScreen* primary = QGuiApplication::primaryScreen())
            move(primary->availableGeometry().center() - rect().center());
    }
    // The live clock and the reselection run while the window is seen.
    ResetReg();
    for (QListWidget* list : {List1, List2})
        if (QListWidgetItem* current = list->currentItem())
            list->scrollToItem(current);
    showClock();
    Timer1.setEnabled(true);
    Timer2.setEnabled(true);
    m_offsetChange.setEnabled(false);
    Form_Activate();
}

void FrmTZ::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    Timer1.setEnabled(false);
    Timer2.setEnabled(false);
    armOffsetChange();
}

void FrmTZ::Form_Activate() { SetOnTop(this, m_host->state().Form1OnTop ? -1 : 0); }
