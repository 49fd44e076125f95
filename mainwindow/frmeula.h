#pragma once

#include <QWidget>

class QLineEdit;
class QMenuBar;
class QTextEdit;

// The licence text "eula.txt" from the program folder, read line by line with
// every line ending in CR LF.
QString readEulaText(const QString& path);

// Shows the licence text read only; the small Text1 box keeps the focus.
class EulaView : public QWidget {
    Q_OBJECT
public:
    explicit EulaView(QWidget* parent = nullptr);

    void ReadEula();
    QString text() const { return m_text; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    virtual void Form_Activate();

    QMenuBar* menuBar = nullptr;
    QTextEdit* RichTextBox1 = nullptr;
    QLineEdit* Text1 = nullptr;

private:
    QString m_text;
};

// The first-use licence agreement: "I Agree" starts the program, "I Do Not
// Agree" (or closing the window) ends it.
class frmEula : public EulaView {
    Q_OBJECT
public:
    explicit frmEula(QWidget* parent = nullptr);
    void AgOK_Click(int index);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool m_answered = false;
};

// The licence text viewer opened from the main window's menu.
class frmEULA2 : public EulaView {
    Q_OBJECT
public:
    explicit frmEULA2(QWidget* parent = nullptr);

protected:
    void Form_Activate() override;
};
