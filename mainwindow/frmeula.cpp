#include "mainwindow/frmeula.h"

#include "core/mainwin.h"
#include "core/sysmod.h"
#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "platform/base/appinfo.h"
#include "platform/base/program.h"
#include "platform/controls/dialogkeys.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"
#include "platform/system/paths.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QTextEdit>
#include <QVBoxLayout>

QString readEulaText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString content = QString::fromLocal8Bit(file.readAll());
    QStringList lines = content.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    // A final line end closes the last line; it does not start another one.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

EulaView::EulaView(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Vantora"));
    resize(560, 420);
    auto* layout = new QVBoxLayout(this);
    menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    RichTextBox1 = new QTextEdit(this);
    RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox1->setReadOnly(true);
    RichTextBox1->setFocusPolicy(Qt::NoFocus);
    RichTextBox1->viewport()->installEventFilter(this);
    layout->addWidget(RichTextBox1);
    Text1 = new QLineEdit(QStringLiteral("Text1"), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFixedSize(1, 1);
    layout->addWidget(Text1);
    platform::DialogKeys::install(this);
}

void EulaView::ReadEula()
{
    m_text = readEulaText(platform::appPath() + QStringLiteral("/eula.txt"));
    QString shown = m_text;
    RichTextBox1->setPlainText(shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void EulaView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        move(primary->availableGeometry().center() - rect().center());
    Form_Activate();
}

void EulaView::Form_Activate()
{
    setWindowTitle(QStringLiteral("Vantora - v ") + platform::appVersionText()
                   + QStringLiteral(" - End-User License Agreement"));
}

// The focus stays in the small box: the keys that page through a text move
// the text.
void EulaView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: QCoreApplication::sendEvent(RichTextBox1, event); return;
    default: QWidget::keyPressEvent(event);
    }
}

bool EulaView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == RichTextBox1->viewport()
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::FocusIn))
        Text1->setFocus();
    return QWidget::eventFilter(watched, event);
}

frmEula::frmEula(QWidget* parent) : EulaView(parent)
{
    setObjectName(QStringLiteral("frmEula"));
    QAction* agree = menuBar->addAction(QStringLiteral("I Agree"));
    agree->setObjectName(QStringLiteral("AgOK_0"));
    QAction* disagree = menuBar->addAction(QStringLiteral("I Do Not Agree"));
    disagree->setObjectName(QStringLiteral("AgOK_1"));
    connect(agree, &QAction::triggered, this, [this] { AgOK_Click(0); });
    connect(disagree, &QAction::triggered, this, [this] { AgOK_Click(1); });
    ReadEula();
}

void frmEula::AgOK_Click(int index)
{
    m_answered = true;
    if (index == 1) {
        platform::endProgram();
        return;
    }
    platform::saveSetting(platform::kOptions, platform::optionkeys::kFirstUse2, QStringLiteral("False"));
    hide();
    MainWin::ContinueStart();
}

void frmEula::closeEvent(QCloseEvent* event)
{
    // Closing the agreement without an answer is not agreeing to it.
    QWidget::closeEvent(event);
    if (!m_answered)
        AgOK_Click(1);
}

frmEULA2::frmEULA2(QWidget* parent) : EulaView(parent)
{
    setObjectName(QStringLiteral("frmEULA2"));
    menuBar->hide();
    ReadEula();
}

void frmEULA2::Form_Activate()
{
    EulaView::Form_Activate();
    Text1->setFocus();
    const Form1* main = appWindows().loadedForm1();
    SetOnTop(this, (main == nullptr || main->Form1OnTop) ? -1 : 0);
}
