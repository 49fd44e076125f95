#pragma once

#include "platform/base/timer.h"
#include "core/appstate.h"
#include "reminders/memofile.h"

#include <QPointer>
#include <QWidget>

#include <array>

class QAction;
class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QStatusBar;
class QToolBar;

// The reminder editor: lists the waiting reminders, edits their messages and
// deletes the ticked ones. It works on its own copy of the list; Submit
// applies the changes to the reminders as the file holds them then, each
// found by its day, time and message, so a reminder added or moved meanwhile
// (by a notice, or another copy of the program) is neither lost nor changed.
class frmMemo : public QWidget {
    Q_OBJECT
public:
    explicit frmMemo(HostLink host = {}, QWidget* parent = nullptr);
    ~frmMemo() override;

    // Toolbar button by key; only "OKChange" (Submit) does something.
    void Toolbar1_ButtonClick(const QString& key);

    // The list lines and the reminders they stand for, as shown.
    QList<MemoRec> shownMemos() const { return m_shown; }
    QStringList editedTexts() const { return m_texts; }

    // A list line: "12/10/2026 - 09:00:00".
    static QString lineText(const MemoRec& rec);

    // What Submit does to the reminders `records` (as the file holds them now):
    // each shown reminder, found by identity, gets its edited text or is
    // removed (an emptied message, or a selected line when deleting). Records
    // that were not shown are left as they are.
    static void applyEdits(QList<MemoRec>& records, const QList<MemoRec>& shown, const QStringList& texts,
                           const QList<bool>& remove);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void Form_Activate();
    void fillList();
    void List1_Click();
    void Text1_Change();
    void showClock();

    HostLink m_host;
    QList<MemoRec> m_shown;
    QStringList m_texts;
    int m_editing = -1;

    QToolBar* Toolbar1 = nullptr;
    QListWidget* List1 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QCheckBox* Check1 = nullptr;
    std::array<QLabel*, 2> Label1{};
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 3> Panels{};
    platform::Timer m_clockTimer{1000};
};
