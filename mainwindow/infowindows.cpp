#include "mainwindow/infowindows.h"

#include "core/sysmod.h"
#include "mainwindow/form1.h"
#include "compat/win32/colors.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace infowindows {

QLabel* makeLabel(QWidget* parent, const QString& name, quint32 colour, int pointSize)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, platform::fromBgr(colour));
    label->setPalette(pal);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(pointSize);
    label->setFont(font);
    return label;
}

void setBackground(QWidget* window, quint32 colour)
{
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, platform::fromBgr(colour));
    window->setPalette(pal);
    window->setAutoFillBackground(true);
}

void centre(QWidget* window)
{
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        window->move(primary->availableGeometry().center() - window->rect().center());
}

void applyOnTop(QWidget* window, const Form1* main)
{
    SetOnTop(window, (main == nullptr || main->Form1OnTop) ? -1 : 0);
}

} // namespace infowindows
