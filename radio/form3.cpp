#include "radio/form3.h"

#include "core/datalist.h"
#include "core/sysmod.h"
#include "platform/base/appinfo.h"
#include "compat/win32/colors.h"
#include "platform/base/twips.h"
#include "platform/controls/dialogkeys.h"
#include "compat/vb/conversions.h"
#include "radio/form4.h"

#include <QButtonGroup>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

using platform::kTwipsPerPixel;
constexpr int px(int twips) { return twips / kTwipsPerPixel; }

constexpr int kNameLeft = 570;
constexpr int kUrlLeft = 4410;
constexpr int kUrlWidth = 8385;
constexpr int kRowHeight = 300;
constexpr int kClientWidth = 12825;
constexpr int kClientHeight = 4800;

QLabel* makeBar(QWidget* parent, const QString& text, quint32 colour, const QRect& twips)
{
    auto* bar = new QLabel(text, parent);
    bar->setGeometry(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height()));
    bar->setAlignment(Qt::AlignCenter);
    bar->setAutoFillBackground(true);
    QPalette pal = bar->palette();
    pal.setColor(QPalette::Window, platform::fromBgr(colour));
    pal.setColor(QPalette::WindowText, Qt::black);
    bar->setPalette(pal);
    return bar;
}

int rowTop(int i)
{
    switch (i) {
    case 10: return 7020; // present and saved, never visible
    case 11: return 4080;
    case 12: return 4440;
    default: return 450 + 360 * (i - 1);
    }
}

} // namespace

Form3::Form3(AppHost* host, QWidget* parent) : QDialog(parent), m_host(host)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Vantora Radio - v ") + platform::appVersionText());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QMenuBar(this);
    layout->setMenuBar(bar);
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(px(kClientWidth), px(kClientHeight));
    layout->addWidget(client);
    m_options = new QButtonGroup(this);
    // Exclusivity is kept by hand: a row that loses its URL must be able to
    // lose the selection too, which an exclusive group refuses.
    m_options->setExclusive(false);
    buildMenu(bar);
    buildHeadings();
    buildRows();
    setFixedSize(sizeHint());
    platform::DialogKeys::install(this)->setCancel(findChild<QAction*>(QStringLiteral("cance")));
}

Form3::~Form3() = default;

void Form3::buildMenu(QMenuBar* bar)
{
    const std::array<std::pair<const char*, const char*>, 4> items{{
        {"exiadd", "Save"},
        {"cance", "Cancel"},
        {"resetdefault", "Reset Default Radios"},
        {"resrmp3", "Reset MP3"},
    }};
    const std::array<void (Form3::*)(), 4> handlers{&Form3::exiadd_Click, &Form3::cance_Click,
                                                    &Form3::resetdefault_Click, &Form3::resrmp3_Click};
    for (size_t k = 0; k < items.size(); ++k) {
        QAction* action = bar->addAction(QString::fromLatin1(items[k].second));
        action->setObjectName(QString::fromLatin1(items[k].first));
        connect(action, &QAction::triggered, this, handlers[k]);
    }
}

void Form3::buildHeadings()
{
    QWidget* client = findChild<QWidget*>(QStringLiteral("client"));
    makeBar(client, QStringLiteral("Radios"), 0x0080FFFF, QRect(kNameLeft, 120, 3765, 285));
    makeBar(client, QStringLiteral("URL's"), 0x0080FFFF, QRect(kUrlLeft, 120, kUrlWidth, 285));
    makeBar(client, QStringLiteral("Audio - Video"), 0x00FFFFC0, QRect(kNameLeft, 3750, 2985, 285));
    makeBar(client, QStringLiteral("Path"), 0x00FFFFC0, QRect(kUrlLeft, 3750, kUrlWidth, 285));
    Label5 = makeBar(client, QStringLiteral("Set"), 0x00FFC0C0, QRect(3600, rowTop(11), 765, kRowHeight));
    Label6 = makeBar(client, QStringLiteral("Set"), 0x00FFC0C0, QRect(3600, rowTop(12), 765, kRowHeight));
    Label5->setObjectName(QStringLiteral("Label5"));
    Label6->setObjectName(QStringLiteral("Label6"));
    for (QLabel* set : {Label5, Label6}) {
        set->setCursor(Qt::PointingHandCursor);
        set->installEventFilter(this);
    }
}

void Form3::buildRows()
{
    QWidget* client = findChild<QWidget*>(QStringLiteral("client"));
    // Typing is limited to 50 characters; a longer name set from code is kept whole.
    auto* nameRule = new QRegularExpressionValidator(QRegularExpression(QStringLiteral(".{0,%1}").arg(kNameLength)),
                                                     this);
    for (int i = 1; i <= kRows; ++i) {
        const auto k = static_cast<size_t>(i);
        Text1[k] = new QLineEdit(client);
        Text1[k]->setObjectName(QStringLiteral("Text1_%1").arg(i));
        Text1[k]->setValidator(nameRule);
        Text2[k] = new QLineEdit(client);
        Text2[k]->setObjectName(QStringLiteral("Text2_%1").arg(i));
        Option1[k] = new QRadioButton(client);
        Option1[k]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        Option1[k]->setToolTip(QStringLiteral("Set as Default..."));
        m_options->addButton(Option1[k], i);
        Shape3[k] = new QWidget(client);
        Shape3[k]->setObjectName(QStringLiteral("Shape3_%1").arg(i));
        Shape3[k]->setAutoFillBackground(true);
        placeRow(i, rowTop(i), i >= 11 ? 2985 : 3765);
        setPatch(i, RowStatus::Empty);

        connect(Text1[k], &QLineEdit::textChanged, this, [this, i] { EnaCoul(i); });
        connect(Text2[k], &QLineEdit::textChanged, this, [this, i] { EnaCoul(i); });
        connect(Option1[k], &QRadioButton::toggled, this, [this, i](bool on) {
            if (!on || m_selecting)
                return;
            selectOnly(i);
            Option1_Click();
        });
        // A click on the default row keeps it the default.
        connect(Option1[k], &QRadioButton::clicked, this, [this, i](bool on) {
            if (!on)
                selectOnly(i);
        });
    }
    for (int i = 1; i <= kRows; ++i)
        EnaCoul(i);
}

void Form3::placeRow(int i, int top, int nameWidth)
{
    const auto k = static_cast<size_t>(i);
    Text1[k]->setGeometry(px(kNameLeft), px(top), px(nameWidth), px(kRowHeight));
    Text2[k]->setGeometry(px(kUrlLeft), px(top), px(kUrlWidth), px(kRowHeight));
    const int patchLeft = kNameLeft - 270;
    Shape3[k]->setGeometry(px(patchLeft), px(top), px(225), px(285));
    Option1[k]->setGeometry(px(patchLeft - 270), px(top + 75), 16, 16);
}

void Form3::setPatch(int i, RowStatus status)
{
    const auto k = static_cast<size_t>(i);
    m_status[k] = status;
    QPalette pal = Shape3[k]->palette();
    pal.setColor(QPalette::Window, platform::fromBgr(static_cast<quint32>(status)));
    Shape3[k]->setPalette(pal);
}

void Form3::setDefault(int i, bool on)
{
    if (i < 1 || i > kRows)
        return;
    QRadioButton* chosen = Option1[static_cast<size_t>(i)];
    if (!on) {
        chosen->setChecked(false);
        return;
    }
    if (chosen->isChecked())
        return;
    selectOnly(i);
    Option1_Click();
}

void Form3::selectOnly(int i)
{
    m_selecting = true;
    for (int j = 1; j <= kRows; ++j)
        Option1[static_cast<size_t>(j)]->setChecked(j == i);
    m_selecting = false;
}

int Form3::defaultRow() const
{
    for (int i = 1; i <= kRows; ++i)
        if (Option1[static_cast<size_t>(i)]->isChecked())
            return i;
    return 0;
}

void Form3::Option1_Click()
{
    for (int i = 1; i <= kRows; ++i)
        EnaCoul(i);
}

void Form3::EnaCoul(int index)
{
    const auto k = static_cast<size_t>(index);
    QRadioButton* option = Option1[k];
    const bool noName = Text1[k]->text().isEmpty();
    const bool noUrl = Text2[k]->text().isEmpty();
    if (!noName && !noUrl) {
        setPatch(index, RowStatus::Complete);
        option->setEnabled(true);
    } else if (noName != noUrl) {
        setPatch(index, RowStatus::Incomplete);
        if (option->isEnabled() && option->isChecked()) {
            for (int j = 1; j <= kRows; ++j) {
                if (j != index && Option1[static_cast<size_t>(j)]->isEnabled()) {
                    setDefault(j);
                    break;
                }
            }
        }
        option->setChecked(false);
        option->setEnabled(false);
    } else {
        setPatch(index, RowStatus::Empty);
        option->setEnabled(false);
    }
    for (int j = 1; j <= kRows; ++j)
        if (Option1[static_cast<size_t>(j)]->isChecked())
            setPatch(j, RowStatus::Default);
}

void Form3::resetRows(int first, int last)
{
    for (int i = first; i <= last; ++i) {
        Text1[static_cast<size_t>(i)]->setText(DataList::factoryName(i));
        Text2[static_cast<size_t>(i)]->setText(DataList::factoryURL(i));
    }
    setDefault(platform::toInt16(DefStation));
}

void Form3::resetdefault_Click() { resetRows(1, 9); }

void Form3::resrmp3_Click() { resetRows(11, 12); }

void Form3::exiadd_Click()
{
    hide();
    m_host->state().ModifURL = true;
}

void Form3::cance_Click()
{
    hide();
    m_host->state().ModifURL = false;
}

void Form3::SelMP3_Single() { openChooser(true); }

void Form3::SelMP3_Dir() { openChooser(false); }

void Form3::openChooser(bool singleFile)
{
    m_host->state().Searchsize = singleFile;
    mediaChooser().openFor(this, singleFile);
}

bool Form3::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Label5) {
            SelMP3_Single();
            return true;
        }
        if (watched == Label6) {
            SelMP3_Dir();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Form3::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        move(primary->availableGeometry().center() - rect().center());
    // Activation follows the showing, as the window system reports it.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            Form_Activate();
    });
}

void Form3::Form_Activate()
{
    if (m_host->state().Form1OnTop)
        SetOnTop(this, -1);
}
