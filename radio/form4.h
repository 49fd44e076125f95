#pragma once

#include <QDialog>
#include <QStringList>

class Form3;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;

// The media files a chooser lists, matched without regard to case ("A.MP3" too).
QStringList mediaFilesIn(const QString& folder);
// Whether a folder holds at least one MP3 file: only those play as a folder.
bool holdsMp3(const QString& folder);
// A folder as the folder slot stores it: with one trailing "/" (a root keeps its own).
QString folderSlotText(const QString& folder);

// The chooser of the station table's two file slots: one media file for slot
// 11 (single-file mode) or a folder of MP3 files for slot 12 (folder mode). It
// writes the chosen path into the editor's path box itself and remembers each
// mode's position, drive and folder. It is hidden after use, never unloaded.
class Form4 : public QDialog {
    Q_OBJECT
public:
    explicit Form4(QWidget* parent = nullptr);
    ~Form4() override;

    // Lays the chooser out for the mode and shows it modally over `editor`.
    void openFor(Form3* editor, bool singleFile);

    void AffSel();
    void tmpaff();
    void SavPos41();
    void SavPos42();
    void sav_Click();
    void canc_Click();

    // What the lists show, and the user's moves in them.
    QString drive() const { return m_drive; }
    QString folder() const { return m_folder; }
    QString selectedFile() const;
    void Drive1_Change(const QString& drive);
    void Dir1_Change(const QString& folder);
    void File1_Click(const QString& name);
    bool singleFileMode() const { return m_single; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    bool layOut(const QString& drive, const QString& folder);
    bool showFolder(const QString& drive, const QString& folder);
    void fillFolderList();
    void fillFileList();
    void setIndicator(bool usable);
    void savePosition(const QString& suffix);
    void Form_Activate();

    Form3* m_editor = nullptr;
    bool m_single = true;
    QString m_drive;
    QString m_folder;
    QString m_lastGoodDrive;
    QString m_lastGoodFolder;
    QString m_shownDrive;
    QString m_shownFolder;

    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QComboBox* Drive1 = nullptr;
    QListWidget* Dir1 = nullptr;
    QListWidget* File1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QAction* sav = nullptr;
    QAction* canc = nullptr;
    QWidget* m_client = nullptr;
};

// The media chooser of the running program, made on first use and kept until
// unloadMediaChooser (a reset).
Form4& mediaChooser();
void unloadMediaChooser();
