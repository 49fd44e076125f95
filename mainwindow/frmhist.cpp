#include "mainwindow/frmhist.h"

#include "core/windowplace.h"
#include "mainwindow/form1.h"
#include "mainwindow/infowindows.h"
#include "platform/base/appinfo.h"
#include "platform/base/clock.h"

#include <QLineEdit>
#include <QMenuBar>
#include <QTextEdit>

#include <algorithm>

namespace {

using infowindows::kTwipsPerPixel;

const char* const kHistory[] = {
    "v1.0.x:\t12/03/2001",
    "- First release: LED clock with date, alarm and hourly beep",
    "- Always visible option and window position kept between runs",
    "v1.1.x:\t28/06/2001",
    "- Snooze with its countdown, two alarm sounds",
    "- Hide in the notification area",
    "v2.x.x:\t15/01/2002",
    "- Internet radio with nine stations, radio alarm",
    "- Time zones: up to five world clock rows",
    "v2.6.x:\t02/09/2002",
    "- Setting the clock from time servers, daily synchronisation",
    "- Station list editor, single MP3 file and MP3 folder playback",
    "v2.7.x:\t20/02/2003",
    "- Reminders with their editor, snooze and delete",
    "- Online station list and feedback mail",
    "v2.8.x:\t11/08/2003",
    "- LED clock screensaver with its settings",
    "- Online version check",
    "v2.9.x:\t05/04/2004",
    "- Repeat and shuffle for MP3 folders, broadcast status window",
    "- Help page, About, history and system information windows",
};

// Qt's own distance, for texts that are not the history.
constexpr qreal kPlainTabStop = 80;

// A labelled line ends its label in one tab: the values and the release
// dates line up one gap past the widest label.
void alignValues(QTextEdit* box, const QString& text)
{
    const QFontMetricsF metrics(box->font());
    qreal widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (line.contains(QLatin1Char('\t')))
            widest = std::max(widest, metrics.horizontalAdvance(line.section(QLatin1Char('\t'), 0, 0)));
    box->setTabStopDistance(widest + metrics.horizontalAdvance(QStringLiteral("  ")));
}

} // namespace

QString historyText()
{
    const QString crlf = QStringLiteral("\r\n");
    QString text;
    text += QStringLiteral(" Vantora:") + crlf;
    text += QStringLiteral("Author:\tOrvane's Applications") + crlf;
    text += QStringLiteral("Version:\tVersion ") + platform::appVersionText() + crlf;
    text += QStringLiteral("Home page:\thttps://vantora.example.org/") + crlf;
    text += crlf;
    text += QStringLiteral("Purpose:") + crlf;
    text += QStringLiteral("A small always-on-top LED clock with the date, an alarm with snooze and radio "
                           "wake-up, an hourly beep, world time rows, time server synchronisation, dated "
                           "reminders, an internet radio and media player and a full-screen clock "
                           "screensaver.")
        + crlf;
    text += crlf;
    text += QStringLiteral("Radio stations:\thttps://www.radio-browser.info/") + crlf;
    text += crlf;
    for (const char* line : kHistory) {
        const QString entry = QString::fromLatin1(line);
        if (entry.startsWith(QLatin1Char('v')) && !text.endsWith(crlf + crlf))
            text += crlf;
        text += entry + crlf;
    }
    return text;
}

FrmHist::FrmHist(QWidget* parent) : EulaView(parent)
{
    setObjectName(QStringLiteral("FrmHist"));
    setWindowTitle(QStringLiteral("Vantora"));
    menuBar->hide();
    resize(5595 / kTwipsPerPixel, 6840 / kTwipsPerPixel);
    placeWindow();
}

// The keys are the window's name followed by "Left" and "Top"; they are read
// on load and on each activation, and never written.
void FrmHist::placeWindow()
{
    move(windowplace::stored(objectName() + QStringLiteral("Left"), objectName() + QStringLiteral("Top"), size()));
}

void FrmHist::FrmChoice(int mode, const QString& title, const QString& text)
{
    if (mode == 1) {
        setWindowTitle(QStringLiteral("Vantora - ") + title);
        AddHist();
        show();
    } else if (mode == 2) {
        setWindowTitle(QStringLiteral("Vantora - ") + title);
        RichTextBox1->setTabStopDistance(kPlainTabStop);
        RichTextBox1->setPlainText(text);
        RichTextBox1->setReadOnly(true);
        show();
    }
    platform::doEvents();
}

void FrmHist::AddHist()
{
    RichTextBox1->setReadOnly(false);
    RichTextBox1->clear();
    QString text = historyText();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    alignValues(RichTextBox1, text);
    RichTextBox1->setPlainText(text);
    RichTextBox1->setReadOnly(true);
}

QString FrmHist::shownText() const { return RichTextBox1->toPlainText(); }

bool FrmHist::isLocked() const { return RichTextBox1->isReadOnly(); }

void FrmHist::Form_Activate()
{
    placeWindow();
    Text1->setFocus();
    infowindows::applyOnTop(this, m_main);
}
