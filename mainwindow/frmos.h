#pragma once

#include <QPointer>
#include <QWidget>

class Form1;
class QLabel;

// The operating-system information window: row titles on the left, the
// values of clsOS on the right. Opened modally; closing it unloads it.
class FrmOS : public QWidget {
    Q_OBJECT
public:
    explicit FrmOS(Form1* main, QWidget* parent = nullptr);

    QLabel* titles() const { return Label1_0; }
    QLabel* values() const { return Label1_1; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void Form_Activate();

    QPointer<Form1> m_main;
    QLabel* Label1_0 = nullptr;
    QLabel* Label1_1 = nullptr;
    QWidget* Shape1 = nullptr;
};
