#include "online/frmmail.h"

#include "core/sysmod.h"
#include "platform/base/dialogs.h"
#include "platform/controls/dialogkeys.h"
#include "platform/online/mailclient.h"
#include "platform/online/mailto.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

struct MailKind {
    const char* caption;
    const char* label;
    const char* message;
    const char* subject;
};

constexpr MailKind kKinds[] = {
    {"Vantora mail - Send new Radio URL", "Auto E-mail for new radio URL",
     "Radio Name: \r\nRadio URL: \r\n\r\nComments: \r\n", "VN - New Radio URL"},
    {"Vantora mail - Send Comments/Questions", "Auto E-mail for users comments/questions", "Comments: \r\n",
     "VN - User Comments/Questions"},
    {"Vantora mail - Send found bug(s)", "Auto E-mail for found bug(s)",
     "Please, describe as much as possible the bug you found\r\n"
     "as well than the eventual error message\r\n"
     "and a clear description on how to reproduce it.\r\n"
     "Thank you very much for your participation in debugging.\r\n\r\n"
     "Bug(s): \r\n",
     "VN - By users found bug(s)"},
};

// The edit box shows line ends as LF; the mail gets CR LF again.
QString shownText(const QString& text)
{
    QString shown = platform::withCrLf(text);
    return shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

frmMail::frmMail(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmMail"));
    resize(480, 400);
    auto* grid = new QGridLayout(this);
    auto* share = new QLabel(QStringLiteral("Share your links with other users via the Internet"), this);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(platform::feedbackAddress(), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text3 = new QPlainTextEdit(this);
    Text3->setObjectName(QStringLiteral("Text3"));
    Text3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text4 = new QLineEdit(this);
    Text4->setObjectName(QStringLiteral("Text4"));
    Text4->setPlaceholderText(QStringLiteral("Attachment path"));
    Text4->setVisible(false);
    Text5 = new QLineEdit(this);
    Text5->setObjectName(QStringLiteral("Text5"));
    Text5->setPlaceholderText(QStringLiteral("Attch. Name"));
    Text5->setVisible(false);
    Command1 = new QPushButton(QStringLiteral("Send E-mail"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setToolTip(QStringLiteral("Send your E-mail..."));
    Command2 = new QPushButton(QStringLiteral("Clear Message"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command3 = new QPushButton(QStringLiteral("Cancel"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setToolTip(QStringLiteral("Click here to cancel this E-mail..."));

    grid->addWidget(share, 0, 0, 1, 3);
    grid->addWidget(Label1, 1, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("To..."), this), 2, 0);
    grid->addWidget(Text1, 2, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Subject..."), this), 3, 0);
    grid->addWidget(Text2, 3, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Message..."), this), 4, 0, Qt::AlignTop);
    grid->addWidget(Text3, 4, 1, 1, 2);
    grid->addWidget(Command1, 5, 0);
    grid->addWidget(Command2, 5, 1);
    grid->addWidget(Command3, 5, 2);

    // Return breaks a line or moves nothing: only the button sends the mail.
    platform::DialogKeys::install(this)->setCancel(Command3);
    connect(Command1, &QPushButton::clicked, this, &frmMail::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmMail::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmMail::Command3_Click);
    connect(&Timer1, &platform::Timer::timeout, this, &frmMail::Timer1_Timer);
}

frmMail::~frmMail() = default;

void frmMail::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Form_Activate();
}

void frmMail::Form_Activate()
{
    AppHost* host = m_host ? m_host.get() : runningHost();
    SetOnTop(this, (host == nullptr || host->state().Form1OnTop) ? -1 : 0);
}

void frmMail::StartMailSend(int kind)
{
    Timer1.setEnabled(false);
    MapiLogon();
    if (kind < 1 || kind > 3)
        return;
    const MailKind& k = kKinds[kind - 1];
    setWindowTitle(QString::fromUtf8(k.caption));
    Label1->setText(QString::fromUtf8(k.label));
    Text3->setPlainText(shownText(QString::fromUtf8(k.message)));
    Text2->setText(QString::fromUtf8(k.subject));
}

bool frmMail::MapiLogon()
{
    // The desktop's mail program needs no sign-on; the flag keeps the sequence's shape.
    m_signedOn = true;
    return true;
}

void frmMail::Command1_Click()
{
    m_step = 0;
    const QString message = Text3->toPlainText();
    if (!m_signedOn)
        MapiLogon();
    MailTo(platform::feedbackAddress(), message);
}

void frmMail::Command2_Click() { Text3->clear(); }

void frmMail::Command3_Click() { unload(); }

void frmMail::MailTo(const QString& recipient, const QString& message)
{
    Timer1.setEnabled(false);
    m_recipient = recipient;
    m_message = message;
    Timer1.setEnabled(true);
}

void frmMail::Timer1_Timer()
{
    ++m_step;
    switch (m_step) {
    case 1:
        m_pendingTo.clear();
        m_pendingSubject.clear();
        m_pendingBody.clear();
        return;
    case 2:
        m_pendingTo = m_recipient;
        Timer1.setInterval(500);
        return;
    case 3:
    case 4: return; // the recipient needs no resolving: it is an address
    case 5:
        m_pendingSubject = Text2->text();
        Timer1.setInterval(250);
        return;
    case 6: m_pendingBody = m_message; return;
    case 7:
        Timer1.setEnabled(false);
        send();
        return;
    default: return;
    }
}

void frmMail::send()
{
    const QString uri = platform::buildMailto(m_pendingTo, m_pendingSubject, m_pendingBody);
    if (uri.size() > platform::kMaxMailtoLength) {
        platform::dialogs().msgBox(
            QStringLiteral("Your message is too long to be handed to the mail program.\r\n"
                           "Please shorten it (it may hold about %1 characters) and send it again.")
                .arg(platform::kMaxMailtoLength / 3),
            platform::mb::OkOnly | platform::mb::Exclamation, QStringLiteral("Vantora"));
        return;
    }
    const platform::MailHandOff handOff = platform::mailClient().compose(uri);
    if (!handOff.ok) {
        platform::dialogs().msgBox(handOff.error + QStringLiteral("\r\n\r\nYour message is kept: you can try again."),
                                   platform::mb::OkOnly | platform::mb::Exclamation, QStringLiteral("Vantora"));
        return;
    }
    platform::dialogs().msgBox(QStringLiteral("Your E-mail has been sent.\r\nThank you very much."),
                               platform::mb::OkOnly | platform::mb::Information, QStringLiteral("Vantora"));
    unload();
}

void frmMail::unload()
{
    Timer1.setEnabled(false);
    m_step = 0;
    hide();
}
