#include "radio/form4.h"

#include "core/sysmod.h"
#include "platform/base/appinfo.h"
#include "platform/base/twips.h"
#include "platform/controls/dialogkeys.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"
#include "platform/system/drives.h"
#include "radio/form3.h"
#include "core/windowplace.h"
#include "resources/resourceids.h"
#include "resources/resources.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

namespace {

using platform::kTwipsPerPixel;
constexpr int px(int twips) { return twips / kTwipsPerPixel; }

using platform::kOptions;

const QStringList& mediaPatterns()
{
    static const QStringList patterns{QStringLiteral("*.mp3"), QStringLiteral("*.mpg"), QStringLiteral("*.mpeg"),
                                      QStringLiteral("*.avi"), QStringLiteral("*.wmv")};
    return patterns;
}

// Where a chooser opens when nothing usable is remembered.
QString defaultFolder()
{
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    return QFileInfo(music).isDir() ? music : QDir::homePath();
}

bool isReadableFolder(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

bool isUnder(const QString& folder, const QString& drive)
{
    if (drive == QLatin1String("/"))
        return folder.startsWith(QLatin1Char('/'));
    return folder == drive || folder.startsWith(drive + QLatin1Char('/'));
}

struct ModeLayout {
    int width;
    int height; // 0: leave the height as it is
    int frame2Left;
    int frame1Width;
    int label1Width;
};

constexpr ModeLayout kSingleFile{8385, 0, 6795, 8235, 7875};
constexpr ModeLayout kFolder{3585, 6945, 1980, 3435, 3075};
constexpr int kDesignWidth = 9390;
constexpr int kDesignHeight = 6300;

} // namespace

QStringList mediaFilesIn(const QString& folder)
{
    return QDir(folder).entryList(mediaPatterns(), QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
}

bool holdsMp3(const QString& folder)
{
    return !QDir(folder).entryList({QStringLiteral("*.mp3")}, QDir::Files | QDir::Readable).isEmpty();
}

QString folderSlotText(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

Form4::Form4(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Vantora Radio - MP3 Search - v ") + platform::appVersionText());
    buildControls();
    m_client->setFixedSize(px(kDesignWidth), px(kDesignHeight));
    platform::DialogKeys::install(this)->setCancel(canc);
}

Form4::~Form4() = default;

void Form4::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* bar = new QMenuBar(this);
    layout->setMenuBar(bar);
    sav = bar->addAction(QStringLiteral("Save"));
    sav->setObjectName(QStringLiteral("sav"));
    canc = bar->addAction(QStringLiteral("Cancel"));
    canc->setObjectName(QStringLiteral("canc"));
    connect(sav, &QAction::triggered, this, &Form4::sav_Click);
    connect(canc, &QAction::triggered, this, &Form4::canc_Click);

    m_client = new QWidget(this);
    layout->addWidget(m_client);
    Frame1 = new QGroupBox(QStringLiteral("Search Files"), m_client);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(px(75), 0, px(kSingleFile.frame1Width), px(4935));
    Drive1 = new QComboBox(Frame1);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(px(120), px(300), px(3195), px(330));
    Dir1 = new QListWidget(Frame1);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(px(120), px(720), px(3195), px(4080));
    File1 = new QListWidget(Frame1);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(px(3435), px(300), px(4680), px(4500));

    Label1 = new QLabel(m_client);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(px(120), px(5010), px(kSingleFile.label1Width), px(240));
    Label2 = new QLabel(m_client);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(px(120), px(5280), px(kSingleFile.label1Width), px(240));
    for (QLabel* line : {Label1, Label2})
        line->setTextFormat(Qt::PlainText);
    Frame2 = new QGroupBox(QStringLiteral("Path Check"), m_client);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(px(kSingleFile.frame2Left), px(5550), px(1455), px(600));
    Image1 = new QLabel(Frame2);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(px(540), px(300), 25, 7);
    const QString tip = QStringLiteral("Checks if the folder contains the ISP data");
    Frame2->setToolTip(tip);
    Image1->setToolTip(tip);
    // Below the visible area, as the last drive, folder and file shown.
    Label3 = new QLabel(m_client);
    Label4 = new QLabel(m_client);
    Label5 = new QLabel(m_client);
    const std::array<QLabel*, 3> hidden{Label3, Label4, Label5};
    for (size_t k = 0; k < hidden.size(); ++k) {
        hidden[k]->setObjectName(QStringLiteral("Label%1").arg(k + 3));
        hidden[k]->setGeometry(0, px(7000) + static_cast<int>(k) * 16, 300, 16);
    }

    connect(Drive1, &QComboBox::textActivated, this, &Form4::Drive1_Change);
    connect(Dir1, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { Dir1_Change(item->data(Qt::UserRole).toString()); });
    connect(File1, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { File1_Click(item->text()); });
}

QString Form4::selectedFile() const
{
    const QListWidgetItem* item = File1->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void Form4::openFor(Form3* editor, bool singleFile)
{
    m_editor = editor;
    m_single = singleFile;
    const QString suffix = singleFile ? QStringLiteral("41") : QStringLiteral("42");
    const QString drive = platform::getSetting(kOptions, QStringLiteral("Drive1.Drive") + suffix, QStringLiteral("/"));
    const QString folder = platform::getSetting(kOptions, QStringLiteral("Dir1.Path") + suffix, defaultFolder());
    if (!layOut(drive, folder))
        layOut(QStringLiteral("/"), defaultFolder());
    exec();
}

bool Form4::layOut(const QString& drive, const QString& folder)
{
    const ModeLayout& mode = m_single ? kSingleFile : kFolder;
    const int clientHeight = mode.height != 0 ? px(mode.height) : m_client->height();
    if (!platform::mountedDrives().contains(drive) || !isReadableFolder(folder) || !isUnder(folder, drive))
        return false;
    m_drive = drive;
    m_folder = QDir::cleanPath(folder);
    m_shownDrive.clear();
    m_shownFolder.clear();
    File1->clearSelection();
    File1->setCurrentItem(nullptr);
    m_client->setFixedSize(px(mode.width), clientHeight);
    Frame2->move(px(mode.frame2Left), Frame2->y());
    Frame1->resize(px(mode.frame1Width), Frame1->height());
    Label1->resize(px(mode.label1Width), Label1->height());
    Label2->resize(px(mode.label1Width), Label2->height());
    adjustSize();

    const QString suffix = m_single ? QStringLiteral("41") : QStringLiteral("42");
    move(windowplace::stored(QStringLiteral("Left") + suffix, QStringLiteral("Right") + suffix, size()));
    AffSel();
    return true;
}

void Form4::Drive1_Change(const QString& drive)
{
    m_drive = drive;
    AffSel();
    tmpaff();
}

void Form4::Dir1_Change(const QString& folder)
{
    m_folder = QDir::cleanPath(folder);
    AffSel();
    tmpaff();
}

void Form4::File1_Click(const QString& name)
{
    const QList<QListWidgetItem*> found = File1->findItems(name, Qt::MatchExactly);
    if (!found.isEmpty()) {
        File1->setCurrentItem(found.first());
        found.first()->setSelected(true);
    }
    AffSel();
    tmpaff();
}

void Form4::AffSel()
{
    if (!showFolder(m_drive, m_folder))
        showFolder(m_lastGoodDrive, m_lastGoodFolder);

    const bool moved = m_drive != m_shownDrive || m_folder != m_shownFolder;
    if (m_single) {
        if (moved) {
            File1->clearSelection();
            File1->setCurrentItem(nullptr);
        }
        Label1->setText(m_folder);
        Label2->setText(selectedFile());
    } else {
        Label1->setText(QString());
        Label2->setText(QString());
    }
    m_shownDrive = m_drive;
    m_shownFolder = m_folder;
    m_lastGoodDrive = m_drive;
    m_lastGoodFolder = m_folder;

    if (m_single) {
        setIndicator(!selectedFile().isEmpty());
    } else if (holdsMp3(m_folder)) {
        setIndicator(true);
        Label1->setText(QStringLiteral("MP3's found"));
    } else {
        setIndicator(false);
        Label1->setText(QStringLiteral("No MP3's found in this folder"));
    }
}

// Points the folder list at the drive (keeping the folder when it is on that
// drive) and the file list at the folder; false when the drive cannot be read.
bool Form4::showFolder(const QString& drive, const QString& folder)
{
    if (drive.isEmpty() || !isReadableFolder(drive))
        return false;
    QString shown = isUnder(folder, drive) ? folder : drive;
    if (!isReadableFolder(shown))
        shown = drive;
    m_drive = drive;
    m_folder = shown;
    const QStringList drives = platform::mountedDrives();
    if (Drive1->count() != drives.size() || Drive1->findText(drive) < 0) {
        Drive1->clear();
        Drive1->addItems(drives);
    }
    Drive1->setCurrentText(drive);
    fillFolderList();
    fillFileList();
    return true;
}

void Form4::fillFolderList()
{
    Dir1->clear();
    // The open folders from the drive down to the current one, then its subfolders.
    QStringList chain;
    for (QString f = m_folder; isUnder(f, m_drive); f = QFileInfo(f).path()) {
        chain.prepend(f);
        if (f == m_drive)
            break;
    }
    int depth = 0;
    for (const QString& f : chain) {
        const QString name = f == m_drive ? f : QFileInfo(f).fileName();
        auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name, Dir1);
        item->setData(Qt::UserRole, f);
        ++depth;
    }
    const QDir dir(m_folder);
    for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + sub, Dir1);
        item->setData(Qt::UserRole, dir.filePath(sub));
    }
}

void Form4::fillFileList()
{
    const QString keep = selectedFile();
    File1->clear();
    File1->addItems(mediaFilesIn(m_folder));
    if (!keep.isEmpty()) {
        const QList<QListWidgetItem*> found = File1->findItems(keep, Qt::MatchExactly);
        if (!found.isEmpty()) {
            File1->setCurrentItem(found.first());
            found.first()->setSelected(true);
        }
    }
}

void Form4::setIndicator(bool usable)
{
    Image1->setPixmap(platform::loadBitmap(usable ? resid::BmpIndicatorOn : resid::BmpIndicatorOff));
    sav->setEnabled(usable);
}

void Form4::tmpaff()
{
    Label3->setText(m_drive);
    Label4->setText(m_folder);
    Label5->setText(selectedFile());
}

void Form4::savePosition(const QString& suffix)
{
    windowplace::store(this, QStringLiteral("Left") + suffix, QStringLiteral("Right") + suffix);
    platform::saveSetting(kOptions, QStringLiteral("Drive1.Drive") + suffix, m_drive);
    platform::saveSetting(kOptions, QStringLiteral("Dir1.Path") + suffix, m_folder);
}

void Form4::SavPos41()
{
    savePosition(QStringLiteral("41"));
    platform::saveSetting(kOptions, QStringLiteral("File1"), selectedFile());
}

void Form4::SavPos42() { savePosition(QStringLiteral("42")); }

void Form4::sav_Click()
{
    if (!sav->isEnabled())
        return;
    if (m_single) {
        SavPos41();
        if (m_editor)
            m_editor->Text2[11]->setText(QDir(m_folder).filePath(selectedFile()));
    } else {
        SavPos42();
        if (m_editor)
            m_editor->Text2[12]->setText(folderSlotText(m_folder));
    }
    hide();
}

void Form4::canc_Click()
{
    if (m_single)
        SavPos41();
    else
        SavPos42();
    hide();
}

void Form4::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Activation follows the showing, as the window system reports it.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            Form_Activate();
    });
}

void Form4::Form_Activate()
{
    AffSel();
    if (m_editor && m_editor->host()->state().Form1OnTop)
        SetOnTop(this, -1);
}

namespace {
std::unique_ptr<Form4>& chooserInstance()
{
    static std::unique_ptr<Form4> chooser;
    return chooser;
}
} // namespace

Form4& mediaChooser()
{
    auto& chooser = chooserInstance();
    if (!chooser)
        chooser = std::make_unique<Form4>();
    return *chooser;
}

void unloadMediaChooser() { chooserInstance().reset(); }
