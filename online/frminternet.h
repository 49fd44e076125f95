#pragma once

#include "core/appstate.h"
#include "online/stationlist.h"
#include "platform/base/timer.h"
#include "platform/online/download.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QSet>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The shared online station list merged with the user's stations 1-9: the user
// checks up to nine rows and picks the default one; Submit stores them as
// stations 1-9.
class frmInternet : public QDialog {
    Q_OBJECT
public:
    explicit frmInternet(QWidget* parent = nullptr);
    ~frmInternet() override;

    // The host (the main window) whose keep-on-top choice the window follows.
    void setHost(AppHost* host) { m_host = host; }
    // Shows the window modally; the download starts at once.
    int showModal();

    void Form_Load();
    void StrtFrm();
    void Command1_Click(); // Submit
    void Command2_Click(); // Refresh
    void Combo1_Click();
    // The status line for a transfer state.
    void Inet1_StateChanged(int state);
    void Timer1_Timer();

    // The list is still on its way.
    bool downloading() const;
    int entryCount() const { return static_cast<int>(m_entries.size()); }
    int checkedCount() const;
    platform::Timer& timer1() { return Timer1; }

signals:
    // The list is shown (after each download, good or not).
    void listLoaded();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Form_Activate();
    void listArrived(const platform::Download& list);
    void showList(const QList<OnlineStation>& shared);
    void addNextSlice(quint64 round);
    void finishList();
    void showWait();
    void cancelDownload();
    void List1_ItemCheck(QListWidgetItem* item);
    void rebuildDefaultChoice();
    void selectDefault();
    void addRow(const OnlineStation& station);
    void showCounts();
    void setLabelColour(QLabel* label, bool red);
    QString rowText(int row) const;

    HostLink m_host;
    QList<OnlineStation> m_entries;
    QString m_chosenDefault;
    QString m_defaultRowText;
    int m_lastState = 15;
    int m_limit = 9;
    qint16 m_defaultRadio = 1;
    bool m_inCheck = false;
    bool m_loadOnShow = false;
    QPointer<platform::DownloadJob> m_download;
    // Rows still to be added, a slice per turn of the event loop.
    static constexpr int kRowsPerSlice = 2000;
    QList<OnlineStation> m_pendingRows;
    qsizetype m_nextRow = 0;
    quint64 m_fillRound = 0;
    QSet<QString> m_rowTexts;
    qint64 m_waitStartedMs = 0;

    QWidget* Shape1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QListWidget* List1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    platform::Timer Timer1{250};
};
