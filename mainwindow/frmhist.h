#pragma once

#include "mainwindow/frmeula.h"

#include <QPointer>

class Form1;

// The program's information and version history, or another text, read only.
class FrmHist : public EulaView {
    Q_OBJECT
public:
    explicit FrmHist(QWidget* parent = nullptr);

    void setMainWindow(Form1* main) { m_main = main; }

    // Mode 1: the built-in history; mode 2: the given text. The caption is
    // "Vantora - " and the title. Other modes do nothing.
    void FrmChoice(int mode, const QString& title, const QString& text = {});
    void AddHist();
    QString shownText() const;
    bool isLocked() const;

protected:
    void Form_Activate() override;

private:
    void placeWindow();

    QPointer<Form1> m_main;
};

// The header and the version history, CR LF lines.
QString historyText();
