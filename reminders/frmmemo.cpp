#include "reminders/frmmemo.h"

#include "core/sysmod.h"
#include "platform/base/appinfo.h"
#include "platform/base/clock.h"
#include "platform/base/dialogs.h"
#include "platform/controls/accessibility.h"
#include "platform/controls/dialogkeys.h"
#include "compat/vb/formats.h"
#include "reminders/memowidgets.h"
#include "reminders/modmemo.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHash>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString identity(const MemoRec& rec)
{
    return QString::number(rec.MemDate.toJulianDay()) + QLatin1Char('|') + rec.MemTime + QLatin1Char('|') + rec.MemText;
}

QString heading(const MemoRec& rec) { return frmMemo::lineText(rec); }

} // namespace

frmMemo::frmMemo(HostLink host, QWidget* parent) : QWidget(parent, Qt::Window), m_host(std::move(host))
{
    setObjectName(QStringLiteral("frmMemo"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("VN"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    buildControls();
    connect(&m_clockTimer, &platform::Timer::timeout, this, &frmMemo::showClock);
}

frmMemo::~frmMemo() = default;

void frmMemo::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction* submit = Toolbar1->addAction(QStringLiteral("Submit"));
    submit->setObjectName(QStringLiteral("OKChange"));
    connect(submit, &QAction::triggered, this, [this] { Toolbar1_ButtonClick(QStringLiteral("OKChange")); });
    layout->addWidget(Toolbar1);

    auto* grid = new QGridLayout;
    Label1[0] = new QLabel(QStringLiteral("Reminders List"), this);
    Label1[1] = new QLabel(QStringLiteral("Selected Reminder - Message Editor"), this);
    for (int i = 0; i < 2; ++i)
        Label1[static_cast<size_t>(i)]->setObjectName(QStringLiteral("Label1_%1").arg(i));
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::MultiSelection);
    connect(List1, &QListWidget::currentRowChanged, this, &frmMemo::List1_Click);
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(Text1, &QPlainTextEdit::textChanged, this, &frmMemo::Text1_Change);
    Check1 = new QCheckBox(QStringLiteral("Delete Selected Reminders"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    QPalette red = Check1->palette();
    red.setColor(QPalette::WindowText, QColor(0x80, 0x00, 0x00));
    Check1->setPalette(red);
    grid->addWidget(Label1[0], 0, 0);
    grid->addWidget(Label1[1], 0, 1);
    grid->addWidget(List1, 1, 0);
    grid->addWidget(Text1, 1, 1);
    grid->addWidget(Check1, 2, 0);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    for (size_t i = 0; i < Panels.size(); ++i) {
        Panels[i] = new QLabel(StatusBar1);
        Panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        StatusBar1->addPermanentWidget(Panels[i], i == 2 ? 1 : 0);
    }
    layout->addWidget(StatusBar1);
    resize(660, 340);
    platform::nameAfterCaption(List1, Label1[0]);
    platform::nameAfterCaption(Text1, Label1[1]);
    platform::DialogKeys::install(this)->setDefault(submit);
}

QString frmMemo::lineText(const MemoRec& rec)
{
    return platform::shortDateText(rec.MemDate) + QStringLiteral(" - ") + rec.MemTime;
}

void frmMemo::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Form_Activate();
}

void frmMemo::Form_Activate()
{
    const bool onTop = !m_host || m_host->state().Form1OnTop;
    SetOnTop(this, onTop ? -1 : 0);
    setWindowTitle(QStringLiteral("Vantora Radio - Reminders Editor - v ") + platform::appVersionText());
    ModMemo::MemoLoad();
    m_shown = ModMemo::Memos();
    m_texts.clear();
    for (const MemoRec& rec : m_shown)
        m_texts.append(rec.MemText);
    fillList();
    showClock();
    m_clockTimer.setEnabled(true);
}

void frmMemo::fillList()
{
    m_editing = -1;
    {
        const QSignalBlocker quiet(List1);
        List1->clear();
        for (const MemoRec& rec : m_shown)
            List1->addItem(lineText(rec));
    }
    const int count = static_cast<int>(m_shown.size());
    const bool any = count > 0;
    List1->setEnabled(any);
    Text1->setEnabled(any);
    Text1->setReadOnly(!any);
    Check1->setEnabled(any);
    if (!any) {
        const QSignalBlocker quiet(Text1);
        Text1->clear();
        Label1[0]->setText(QStringLiteral("Reminders List"));
        Label1[1]->setText(QStringLiteral("Selected Reminder - Message Editor"));
        Panels[2]->setText(QStringLiteral("No Reminders available"));
        return;
    }
    Label1[0]->setText(QStringLiteral("Reminders List (%1)").arg(count));
    Panels[2]->setText(count == 1 ? QStringLiteral("1 Reminder available")
                                  : QStringLiteral("%1 Reminders available").arg(count));
    // The first line is the current one; nothing is selected for deletion yet.
    List1->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    List1_Click();
}

void frmMemo::List1_Click()
{
    const int row = List1->currentRow();
    if (row < 0 || row >= m_shown.size())
        return;
    m_editing = row;
    {
        const QSignalBlocker quiet(Text1);
        Text1->setPlainText(m_texts[row]);
    }
    Label1[1]->setText(QStringLiteral("Selected Reminder - Message Editor (") + heading(m_shown[row])
                       + QLatin1Char(')'));
}

void frmMemo::Text1_Change()
{
    stripDoubleQuotes(Text1);
    if (m_editing >= 0 && m_editing < m_texts.size())
        m_texts[m_editing] = Text1->toPlainText();
}

void frmMemo::showClock()
{
    const QDateTime now = platform::clock().now();
    Panels[0]->setText(platform::shortDateText(now.date()));
    Panels[1]->setText(now.time().toString(QStringLiteral("HH:mm:ss")));
}

void frmMemo::applyEdits(QList<MemoRec>& records, const QList<MemoRec>& shown, const QStringList& texts,
                         const QList<bool>& remove)
{
    QHash<QString, QList<qsizetype>> where;
    for (qsizetype j = 0; j < records.size(); ++j)
        where[identity(records[j])].append(j);
    QList<qsizetype> dropped;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        auto found = where.find(identity(shown[i]));
        if (found == where.end() || found->isEmpty())
            continue; // answered or removed meanwhile
        const qsizetype j = found->takeFirst();
        const QString text = storableMemoText(i < texts.size() ? texts[i] : shown[i].MemText);
        if (text.isEmpty() || (i < remove.size() && remove[i]))
            dropped.append(j);
        else
            records[j].MemText = text;
    }
    std::sort(dropped.begin(), dropped.end(), std::greater<>());
    for (const qsizetype j : dropped)
        records.removeAt(j);
}

void frmMemo::Toolbar1_ButtonClick(const QString& key)
{
    if (key != QLatin1String("OKChange"))
        return;
    if (!m_shown.isEmpty()) {
        QList<bool> remove;
        for (int i = 0; i < List1->count(); ++i)
            remove.append(Check1->isChecked() && List1->item(i)->isSelected());
        const ModMemo::Result r = ModMemo::changeMemos(
            [&](QList<MemoRec>& records) { applyEdits(records, m_shown, m_texts, remove); });
        if (!r) {
            platform::dialogs().msgBox(QStringLiteral("Error: ") + r.error
                                           + QStringLiteral("\r\n\r\nPlease, try again..."),
                                       platform::mb::Critical, QStringLiteral("Reminders Editor"));
            return;
        }
    }
    close();
}
