#pragma once

#include "core/appstate.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QMenuBar;
class QRadioButton;
class Form4;

// The colour of a station row's status patch: complete, incomplete, empty or the default.
enum class RowStatus : quint32 { Complete = 0x00FF00, Incomplete = 0x0000FF, Empty = 0x808080, Default = 0x00FFFF };

// The station-list editor: the twelve editable slots of the station table, each
// with a display name, a URL or path and whether it is the default station.
// The caller fills Text1/Text2 and selects the default, shows it modally and
// reads the rows back when ModifURL came back True. Nothing is stored here.
class Form3 : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRows = 12;
    static constexpr int kNameLength = 50;

    // `main` is the main window whose ModifURL and Searchsize the editor sets.
    explicit Form3(AppHost* host, QWidget* parent = nullptr);
    ~Form3() override;

    // Rows 1..12; index 0 exists only to keep the numbering of the slots.
    std::array<QLineEdit*, kRows + 1> Text1{};
    std::array<QLineEdit*, kRows + 1> Text2{};
    std::array<QRadioButton*, kRows + 1> Option1{};

    // Selects row i as the default (or clears it), as a click would.
    void setDefault(int i, bool on = true);
    // The row whose option is selected, or 0 when none is.
    int defaultRow() const;
    RowStatus rowStatus(int i) const { return m_status[static_cast<size_t>(i)]; }
    AppHost* host() const { return m_host; }

    void EnaCoul(int index);
    void SelMP3_Single();
    void SelMP3_Dir();
    void resetdefault_Click();
    void resrmp3_Click();
    void exiadd_Click();
    void cance_Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildRows();
    void buildHeadings();
    void buildMenu(QMenuBar* bar);
    void placeRow(int i, int top, int nameWidth);
    void setPatch(int i, RowStatus status);
    void selectOnly(int i);
    void Option1_Click();
    void resetRows(int first, int last);
    void openChooser(bool singleFile);
    void Form_Activate();

    AppHost* m_host = nullptr;
    QButtonGroup* m_options = nullptr;
    std::array<QWidget*, kRows + 1> Shape3{};
    std::array<RowStatus, kRows + 1> m_status{};
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    bool m_selecting = false;
};
