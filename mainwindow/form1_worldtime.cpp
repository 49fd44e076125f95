#include "mainwindow/form1.h"

#include "mainwindow/clickfilter.h"
#include "platform/base/twips.h"
#include "platform/settings/options.h"

#include "mainwindow/form1shape.h"
#include "platform/controls/accessibility.h"
#include "mainwindow/rowtimelabel.h"
#include "platform/base/clock.h"
#include "compat/win32/colors.h"
#include "widgets/leddigit.h"
#include "compat/vb/conversions.h"
#include "compat/vb/formats.h"
#include "platform/settings/settings.h"
#include "resources/resourceids.h"
#include "resources/resources.h"
#include "worldtime/frmtz.h"
#include "worldtime/tzdatabase.h"
#include "worldtime/zoneentries.h"
#include "worldtime/zonetable.h"
#include "worldtime/zoneregistry.h"
#include "worldtime/zonetime.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

#include <functional>

namespace {

using platform::kTwipsPerPixel;
constexpr int kRows = worldtime::kMaxZones;

// Layout of the status line and the rows, in pixels (the design's twips / 15).
constexpr int kNoDateShift = 180 / kTwipsPerPixel; // without the date line everything moves up
constexpr int kPanelHeight = 1425 / kTwipsPerPixel;
constexpr int kStatusTop = 1470 / kTwipsPerPixel;
constexpr int kStatusHeight = 1785 / kTwipsPerPixel - kStatusTop;
constexpr int kRowBase = 1800 / kTwipsPerPixel;
constexpr int kRowPitch = 330 / kTwipsPerPixel;
constexpr int kRowTextDrop = 45 / kTwipsPerPixel;
constexpr int kBarLeft = 15 / kTwipsPerPixel;
constexpr int kBarWidth = 2955 / kTwipsPerPixel;
constexpr int kBarHeight = 300 / kTwipsPerPixel;
constexpr int kNameLeft = 75 / kTwipsPerPixel;
constexpr int kTimeLeft = 690 / kTwipsPerPixel;

// Colours (&HBBGGRR).
constexpr quint32 kNormalBack = 0x00404040;
constexpr quint32 kContrastBack = 0x00000000;
constexpr quint32 kZoneNameColour = 0x000000FF;
constexpr std::array<quint32, 4> kWatchColours{0x00FFFF00, 0x00C0C000, 0x0000FFFF, 0x0000FF00};
constexpr std::array<quint32, 2> kZoneColours{0x00C0C000, 0x0000FFFF};
constexpr quint32 kColonColour = 0x00FFFF00;   // the lit colon pictures as stored
constexpr quint32 kRestingColour = 0x00404040; // the resting seconds colon as stored

using platform::kOptions;

QString option(const QString& key, const QString& def) { return platform::getSetting(kOptions, key, def); }

// A stored menu index; the default for a missing, damaged or unknown one.
int readIndex(const QString& key, int def, int count)
{
    try {
        const qint32 index = platform::toInt32(option(key, QString::number(def)));
        return index >= 0 && index < count ? index : def;
    } catch (const platform::RuntimeError&) {
        return def;
    }
}

void setBack(QWidget* w, quint32 bgr)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, platform::fromBgr(bgr));
    w->setPalette(pal);
}

void setFore(QWidget* w, quint32 bgr)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, platform::fromBgr(bgr));
    w->setPalette(pal);
}

// The picture with every visible pixel in one colour, its transparency kept.
QPixmap tinted(const QPixmap& picture, quint32 bgr)
{
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    const QColor colour = platform::fromBgr(bgr);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 0)
                line[x] = qRgba(colour.red(), colour.green(), colour.blue(), qAlpha(line[x]));
    }
    return QPixmap::fromImage(image);
}

// Two decimal digits, with a leading zero.
void appendTwoDigits(QString& text, int value)
{
    text += QLatin1Char(char('0' + value / 10));
    text += QLatin1Char(char('0' + value % 10));
}

} // namespace

// The zone a row shows, found by its stored display name in the zone table.
struct Form1::RowZone {
    QString name;
    bool known = false;
    worldtime::ZoneOffsetCache offsets;
    // The text last shown and what it was made of: most ticks fall within
    // the same second and change nothing.
    QString biasText;
    std::optional<qint32> bias; // biasText read
    std::optional<qint32> home;
    QString format;
    qint64 second = -1;
    QString text;
    // The date part of the text, formatted again only when the date changes.
    QDate date;
    QString dateText;
};

void Form1::wireWorldTime()
{
    buildZoneRows();
    buildColourMenu();
    enableCommand(QStringLiteral("AddTZ"), &Form1::AddTZ_Click);
}

void Form1::buildZoneRows()
{
    for (int r = 0; r < kRows; ++r) {
        auto* bar = new Form1Shape(this, kContrastBack);
        bar->setObjectName(QStringLiteral("Shape6_%1").arg(r));
        bar->setGeometry(kBarLeft, kRowBase + kRowPitch * r, kBarWidth, kBarHeight);
        bar->setVisible(false);
        bar->setMouseTracking(true);
        bar->installEventFilter(this);
        Shape6[static_cast<size_t>(r)] = bar;
        QLabel* name = Label4[static_cast<size_t>(r)];
        QLabel* time = Label5[static_cast<size_t>(r)];
        for (QLabel* label : {name, time}) {
            // Each new time must clear the last: an opaque label that skips its
            // own background keeps every earlier second under the new one.
            label->setAttribute(Qt::WA_TranslucentBackground, false);
            label->setAttribute(Qt::WA_NoSystemBackground, false);
            label->setAutoFillBackground(true);
            label->raise();
        }
        time->setAlignment(Qt::AlignCenter);
        time->setAttribute(Qt::WA_OpaquePaintEvent);
        // A date and a time, drawn as plain text: no new text is searched for markup.
        time->setTextFormat(Qt::PlainText);
        name->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
        name->installEventFilter(new ClickFilter(name, [this, r] { Label4_Click(r); }));
        time->installEventFilter(new ClickFilter(time, [this, r] { Label5_Click(r); }));
        m_rowZones[static_cast<size_t>(r)] = std::make_shared<RowZone>();
    }
    paintRowTimesTogether();
}

// The row times change in the same tick: one widget over them paints them
// in one repaint instead of one each. Between them lie the rows' bars and
// the window's ground.
void Form1::paintRowTimesTogether()
{
    QList<PaintedTogether::Part> parts;
    for (QLabel* label : Label5) {
        auto* time = static_cast<RowTimeLabel*>(label);
        parts.append({time, [time](QPainter& p, QPoint at, const QRect& area) { time->paintArea(p, at, area); }});
    }
    m_rowTimes = new PaintedTogether(this, {}, std::move(parts));
    m_rowTimes->setObjectName(QStringLiteral("rowTimes"));
    platform::hideFromScreenReaders(m_rowTimes);
    m_rowTimes->setGround([this](QPainter& p, const QRect& area) {
        const QRect here = area.translated(m_rowTimes->pos());
        p.fillRect(area, palette().brush(QPalette::Window));
        for (QWidget* bar : Shape6) {
            const QRect covered = bar->geometry() & here;
            if (bar->isHidden() || covered.isEmpty())
                continue;
            p.save();
            p.translate(covered.topLeft() - m_rowTimes->pos());
            static_cast<Form1Shape*>(bar)->paintLook(p, covered.translated(-bar->pos()));
            p.restore();
        }
    });
    for (QLabel* label : Label5)
        static_cast<RowTimeLabel*>(label)->setRepaintedBy([this](const QRect& area) { m_rowTimes->repaintArea(area); });
}

void Form1::buildColourMenu()
{
    VNC = new QMenu(QStringLiteral("VN Colors"), this);
    VNC->setObjectName(QStringLiteral("VNC"));
    tools->insertMenu(command(QStringLiteral("AddTZ")), VNC);

    QMenu* watch = VNC->addMenu(QStringLiteral("Watch Colors"));
    watch->setObjectName(QStringLiteral("TZCol_0"));
    const QStringList watchNames{QStringLiteral("Light Blue"), QStringLiteral("Dark Blue"), QStringLiteral("Yellow"),
                                 QStringLiteral("Green")};
    for (int i = 0; i < 4; ++i) {
        QAction* item = addItem(watch, QStringLiteral("TZColTxt2_%1").arg(i), watchNames[i]);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, i] { TZColTxt2_Click(i); });
        TZColTxt2[static_cast<size_t>(i)] = item;
    }
    watch->addSeparator();
    ClHC = addItem(watch, QStringLiteral("ClHC"), QStringLiteral("Watch High Contrast"));
    ClHC->setCheckable(true);
    connect(ClHC, &QAction::triggered, this, &Form1::ClHC_Click);

    QMenu* zones = VNC->addMenu(QStringLiteral("TZ Colors"));
    zones->setObjectName(QStringLiteral("TZCol_1"));
    const QStringList zoneNames{QStringLiteral("Blue"), QStringLiteral("Yellow")};
    for (int i = 0; i < 2; ++i) {
        QAction* item = addItem(zones, QStringLiteral("TZColTxt_%1").arg(i), zoneNames[i]);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, i] { TZColTxt_Click(i); });
        TZColTxt[static_cast<size_t>(i)] = item;
    }
    zones->addSeparator();
    mnuTZhc = addItem(zones, QStringLiteral("TZhc"), QStringLiteral("Time Zone High Contrast"));
    mnuTZhc->setCheckable(true);
    connect(mnuTZhc, &QAction::triggered, this, &Form1::TZhc_Click);
}

// ---- Zone chooser ----

void Form1::loadZoneChooser()
{
    if (m_frmTZ)
        return;
    m_frmTZ = new FrmTZ(this, this);
    m_frmTZ->Form_Load();
}

void Form1::AddTZ_Click()
{
    loadZoneChooser();
    m_frmTZ->show();
    m_frmTZ->raise();
    m_frmTZ->activateWindow();
}

void Form1::Label4_Click(int index)
{
    if (index < kRows)
        AddTZ_Click();
}

void Form1::Label5_Click(int index)
{
    if (index < kRows)
        AddTZ_Click();
}

// ---- Zone list and converter defaults ----

void Form1::TZini()
{
    m_tzRoot = worldtime::zoneDatabaseKey();
    // The zone database is read when a row or the chooser first needs it:
    // building it costs more than the rest of the start.
    m_zoneTableRead = false;
    for (const auto& row : m_rowZones)
        if (row)
            *row = RowZone{};
}

void Form1::readZoneTable()
{
    if (m_zoneTableRead)
        return;
    m_zoneTableRead = true;
    const worldtime::ZoneTable table = worldtime::LoadZoneTable();
    m_tzKeyNames = table.TZKeyNames;
    m_tzDisplayNames = table.TZDisplayNames;
    GetTCDefaults();
}

void Form1::GetTCDefaults()
{
    const worldtime::DefaultZones zones = worldtime::readDefaultZones();
    m_defaultSourceZone = zones.source;
    if (zones.hasTarget)
        m_defaultTargetZone = zones.target;
}

// ---- Rows ----

void Form1::SetTZ()
{
    const int shift = DispDatOn ? 0 : kNoDateShift;
    Shape3->move(0, kStatusTop - shift);
    Shape3->resize(width(), kStatusHeight);
    Shape2->resize(Shape2->width(), kPanelHeight - shift);

    LastTZAdd = static_cast<qint16>(worldtime::storedZoneCount());
    m_zoneRowsRead = -1;
    const int base = kRowBase - shift;
    const quint32 back = TZhc ? kContrastBack : kNormalBack;
    for (int r = 0; r < kRows; ++r) {
        const auto ur = static_cast<size_t>(r);
        static_cast<Form1Shape*>(Shape6[ur])->setColour(back);
        Shape6[ur]->move(kBarLeft, base + kRowPitch * r);
        setBack(Label4[ur], back);
        setBack(Label5[ur], back);
        setFore(Label4[ur], kZoneNameColour);
    }
    for (int i = 1; i <= kRows; ++i) {
        const auto r = static_cast<size_t>(i - 1);
        const int top = base + kRowTextDrop + kRowPitch * (i - 1);
        Label4[r]->setGeometry(kNameLeft, top, kTimeLeft - kNameLeft, Label4[r]->height());
        Label5[r]->setGeometry(kTimeLeft, top, kBarLeft + kBarWidth - kTimeLeft, Label5[r]->height());
        const bool used = i <= LastTZAdd;
        Label5[r]->setText(QString());
        if (used) {
            PresetTZ(static_cast<qint16>(i));
            Label4[r]->setText(option(QStringLiteral("LastTZAddName%1").arg(i), QString()));
            const QString zone = option(QStringLiteral("VNTZname%1").arg(i), QString());
            Label4[r]->setToolTip(zone);
            Label5[r]->setToolTip(zone);
        } else {
            Label4[r]->setText(QString());
            Label4[r]->setToolTip(QString());
            Label5[r]->setToolTip(QString());
        }
        Shape6[r]->setVisible(used);
        Label4[r]->setVisible(used);
        Label5[r]->setVisible(used);
    }
    // The rows' texts and places were set directly.
    m_rowTimes->fitParts();
    const int clientHeight = InitialSize / kTwipsPerPixel - shift + kRowPitch * LastTZAdd;
    if (height() != clientHeight || minimumHeight() != clientHeight)
        setFixedHeight(clientHeight);
}

// The home bias as stored, parsed again only when its text changed.
std::optional<qint32> Form1::storedHomeBias()
{
    const QString homeText = option(QStringLiteral("DefaultTZVal"), QStringLiteral("0"));
    if (homeText != m_homeBiasText || !m_homeBiasRead) {
        m_homeBiasText = homeText;
        m_homeBias = worldtime::parseBias(homeText);
        m_homeBiasRead = true;
    }
    return m_homeBias;
}

// The zone count as stored, its text converted again only when it changed.
int Form1::storedZoneCount()
{
    const QString text = option(platform::optionkeys::kLastTZAdd, QStringLiteral("0"));
    if (!m_zoneCountText || text != *m_zoneCountText) {
        m_zoneCountText = text;
        m_zoneCount = worldtime::zoneCountOf(text);
    }
    return m_zoneCount;
}

void Form1::TZUrefresh(qint16 i)
{
    if (i < 1 || i > kRows)
        return;
    NowTime = platform::clock().now();
    m_nowMsecs = NowTime.toMSecsSinceEpoch();
    const std::optional<qint32> home = storedHomeBias();
    m_presetTimes[static_cast<size_t>(i)] = zoneRowText(i, home);
}

void Form1::PresetTZ(qint16 i)
{
    if (i < 1 || i > kRows)
        return;
    TZUrefresh(i);
    QLabel* time = Label5[static_cast<size_t>(i - 1)];
    time->setText(m_presetTimes[static_cast<size_t>(i)]);
    m_rowTimes->repaintArea(time->geometry());
}

// The tick that the load runs lets a zone value that is not a number reach
// the load's settings-error question; later ticks show such a row blank.
void Form1::requireConvertibleZoneValues() const
{
    const auto require = [](const QString& key) {
        const QString text = option(key, QStringLiteral("0"));
        if (!platform::isNumeric(text))
            throw platform::RuntimeError::typeMismatch();
    };
    require(platform::optionkeys::kLastTZAdd);
    require(QStringLiteral("DefaultTZVal"));
    for (int i = 1; i <= worldtime::storedZoneCount(); ++i)
        require(QStringLiteral("VNTZval%1").arg(i));
}

void Form1::showZoneTimes()
{
    if (m_tickInsideLoad)
        requireConvertibleZoneValues();
    LastTZAdd = static_cast<qint16>(storedZoneCount());
    // A row's text changes with the second: the ticks within a second read
    // only the count (the chooser lays the rows out again itself).
    if (!digitChanged(6) && LastTZAdd == m_zoneRowsRead)
        return;
    if (LastTZAdd != m_zoneRowsRead && m_frmTZ)
        m_frmTZ->zoneCountChanged();
    m_zoneRowsRead = LastTZAdd;
    if (LastTZAdd <= 0)
        return;
    m_nowMsecs = NowTime.toMSecsSinceEpoch();
    const std::optional<qint32> home = storedHomeBias();
    for (int i = 1; i <= LastTZAdd; ++i) {
        auto* label = static_cast<RowTimeLabel*>(Label5[static_cast<size_t>(i - 1)]);
        label->showText(zoneRowText(i, home));
    }
}

// Row i's time: the zone's own clock when its stored name is a zone of the
// table, else the stored biases' arithmetic; empty when the row's bias (or,
// for the arithmetic, the home bias) cannot be read.
QString Form1::zoneRowText(int i, const std::optional<qint32>& homeBias)
{
    RowZone& row = *m_rowZones[static_cast<size_t>(i - 1)];
    // The row's keys, named once: the row is read every second.
    static const std::array<std::pair<QString, QString>, kRows> keys = [] {
        std::array<std::pair<QString, QString>, kRows> named;
        for (int r = 0; r < kRows; ++r)
            named[static_cast<size_t>(r)] = {QStringLiteral("VNTZval%1").arg(r + 1),
                                             QStringLiteral("VNTZname%1").arg(r + 1)};
        return named;
    }();
    const auto& [biasKey, nameKey] = keys[static_cast<size_t>(i - 1)];
    const QString biasText = option(biasKey, QStringLiteral("0"));
    const QString name = option(nameKey, QString());
    const qint64 second = NowTime.date().toJulianDay() * 86400 + NowTime.time().msecsSinceStartOfDay() / 1000;
    if (name == row.name && biasText == row.biasText && homeBias == row.home && TZFormat == row.format
        && second == row.second)
        return row.text;

    if (name != row.name) {
        row = RowZone{};
        row.name = name;
        if (!name.isEmpty())
            readZoneTable();
        const int index = name.isEmpty() ? -1 : static_cast<int>(m_tzDisplayNames.indexOf(name));
        if (index >= 0) {
            if (const worldtime::TzZone* zone = worldtime::tzDatabase().find(m_tzKeyNames[index])) {
                row.known = true;
                row.offsets = worldtime::ZoneOffsetCache(zone->zone);
            }
        }
    }
    if (TZFormat != row.format)
        row.date = QDate();
    if (biasText != row.biasText || row.second < 0)
        row.bias = worldtime::parseBias(biasText);
    row.biasText = biasText;
    row.home = homeBias;
    row.format = TZFormat;
    row.second = second;

    const std::optional<qint32> bias = row.bias;
    if (bias)
        ZoneBias[static_cast<size_t>(i)] = *bias;
    QDateTime wall;
    if (bias && row.known)
        wall = row.offsets.wallClockAtMsecs(m_nowMsecs);
    else if (bias && homeBias)
        wall = worldtime::zoneTimeByBias(NowTime, *homeBias, *bias);
    if (!wall.isValid()) {
        row.text.clear();
        return row.text;
    }
    if (wall.date() != row.date) {
        row.date = wall.date();
        row.dateText = platform::formatDateTime(wall, TZFormat);
    }
    const QTime t = wall.time();
    // Built in room made once: the text is new every second.
    QString text;
    text.reserve(row.dateText.size() + 11);
    text += row.dateText;
    text += QLatin1String(" - ");
    appendTwoDigits(text, t.hour());
    text += QLatin1Char(':');
    appendTwoDigits(text, t.minute());
    text += QLatin1Char(':');
    appendTwoDigits(text, t.second());
    row.text = text;
    return row.text;
}

// ---- Colours ----

void Form1::SetClHC_Click()
{
    const quint32 back = CLHighContrast ? kContrastBack : kNormalBack;
    setBack(this, back);
    static_cast<Form1Shape*>(Shape2)->setColour(back);
    ClHC->setChecked(CLHighContrast);
    for (platform::LedDigit* digit : LED1) {
        digit->setLedColorOff(back);
        digit->setGround(back);
    }
    applyColonPictures();
}

void Form1::ClHC_Click()
{
    CLHighContrast = !CLHighContrast;
    platform::saveSetting(kOptions, platform::optionkeys::kCLHighContrast, platform::boolText(CLHighContrast));
    SetClHC_Click();
}

void Form1::applyWatchColour(int index)
{
    for (int i = 0; i < 4; ++i)
        TZColTxt2[static_cast<size_t>(i)]->setChecked(i == index);
    m_watchColour = kWatchColours[static_cast<size_t>(index)];
    for (platform::LedDigit* digit : LED1)
        digit->setLedColorOn(m_watchColour);
    setFore(Label6, m_watchColour);
    applyColonPictures();
}

void Form1::SetColTxt2() { applyWatchColour(readIndex(QStringLiteral("TZColTxt2"), 0, 4)); }

void Form1::TZColTxt2_Click(int index)
{
    applyWatchColour(index);
    platform::saveSetting(kOptions, QStringLiteral("TZColTxt2"), platform::intText(index));
}

void Form1::applyZoneColour(int index)
{
    for (int i = 0; i < 2; ++i)
        TZColTxt[static_cast<size_t>(i)]->setChecked(i == index);
    m_zoneColour = kZoneColours[static_cast<size_t>(index)];
    for (QLabel* label : Label5)
        setFore(label, m_zoneColour);
}

void Form1::SetColTxt() { applyZoneColour(readIndex(QStringLiteral("TZColTxt"), 1, 2)); }

void Form1::TZColTxt_Click(int index)
{
    applyZoneColour(index);
    platform::saveSetting(kOptions, QStringLiteral("TZColTxt"), platform::intText(index));
}

void Form1::TZhcSet()
{
    TZhc = platform::toBool(option(QStringLiteral("TZhc"), QStringLiteral("True")));
    mnuTZhc->setChecked(TZhc);
    SetTZ();
}

void Form1::TZhc_Click()
{
    TZhc = !TZhc;
    mnuTZhc->setChecked(TZhc);
    SetTZ();
    platform::saveSetting(kOptions, QStringLiteral("TZhc"), platform::boolText(TZhc));
}

QPixmap Form1::colonPicture(int id) const
{
    const QPixmap stored = platform::loadBitmap(id);
    const quint32 wanted = id == resid::BmpColonRest ? LED1[0]->LedColorOff() : m_watchColour;
    const quint32 storedColour = id == resid::BmpColonRest ? kRestingColour : kColonColour;
    return wanted == storedColour ? stored : tinted(stored, wanted);
}

void Form1::applyColonPictures()
{
    const QPixmap fixed = colonPicture(resid::BmpColonStatic);
    picSegment[6]->setPixmap(fixed);
    static_cast<Form1Shape*>(Shape2)->setSteadyColon(fixed);
    m_flashColon->setPicture(colonPicture(m_flashEndsMs ? resid::BmpColonLit : resid::BmpColonRest));
}
