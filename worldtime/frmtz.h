#pragma once

#include "core/appstate.h"
#include "platform/base/timer.h"
#include "worldtime/zonetable.h"

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QFileSystemWatcher;
class QListWidget;
class QPushButton;

// The time-zone chooser: the user adds up to five zones with a short name for
// the main window's world-clock rows, deletes them, compares the computer's
// zone with another and picks the rows' date format. Loaded hidden with the
// main window; its clock runs from then on; closing it only hides it.
class FrmTZ : public QWidget {
    Q_OBJECT
public:
    explicit FrmTZ(AppHost* host, QWidget* parent = nullptr);

    void Form_Load();
    // Refreshes the entry list, the count and the Add controls.
    void AffSelTZ();
    // Reselects the default zones: the home list always, the target list
    // only when nothing is selected in it.
    void ResetReg();

    void Command1_Click(); // Calculate
    void Command2_Click(); // Delete
    void Command3_Click(); // Add
    void List2_Click();
    void List3_Click();
    void List4_Click();
    void Timer1_Timer();
    void Timer2_Timer();

    const worldtime::ZoneTable& zoneTable()
    {
        readZoneTable();
        return m_table;
    }

    // The zone count changed outside the chooser (the main window read another
    // count from the store): the next slot's values follow it.
    void zoneCountChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls();
    void Form_Activate();
    void LoadDefTZ();
    // The zone database is read (and the lists filled) when first needed:
    // building it costs more than the rest of the start, and the chooser's
    // first calculation comes with its first tick, after the clock shows.
    void readZoneTable();
    void selectKey(QListWidget* list, const QString& keyName);
    std::optional<qint32> biasAt(int index) const;
    QString targetTimeText(int home, int target) const;
    QString selectedKey(const QListWidget* list) const;
    // Hidden, the chooser's values change only with their inputs: the home
    // zone (the computer's zone, the converter's default), the selection, the
    // count, and a zone's next change of offset.
    void inputsChanged();
    void watchInputs();
    void armOffsetChange();
    void showClock();

    AppHost* m_host;
    worldtime::ZoneTable m_table;
    bool m_tableRead = false;
    QString m_homeZone;
    QString m_targetZone;
    std::array<QString, 7> m_nameTable;
    bool m_centred = false;

    QListWidget* List1 = nullptr;
    QListWidget* List2 = nullptr;
    QListWidget* List3 = nullptr;
    QListWidget* List4 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* sResult = nullptr;
    QLabel* Label1_3 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    platform::Timer Timer1{500};
    platform::Timer Timer2{1000};
    platform::Timer m_offsetChange;
    QFileSystemWatcher* m_inputWatch = nullptr;
};
