#include "mainwindow/frmos.h"
#include "platform/controls/dialogkeys.h"

#include "mainwindow/clsos.h"
#include "mainwindow/form1.h"
#include "mainwindow/infowindows.h"

#include <QLabel>
#include <QPainter>
#include <QStringList>

namespace {

using infowindows::kTwipsPerPixel;

constexpr quint32 kBackground = 0x404040;
constexpr quint32 kTitleColour = 0x808080;
constexpr quint32 kValueColour = 0xFFFFC0;
constexpr int kMargin = 90 / kTwipsPerPixel;
constexpr int kValueLeft = 1425 / kTwipsPerPixel;

// A frame drawn around the labels.
class Frame : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override;
};

} // namespace

void Frame::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

FrmOS::FrmOS(Form1* main, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_main(main)
{
    setObjectName(QStringLiteral("FrmOS"));
    setWindowTitle(QStringLiteral(" Vantora - OS Version Info"));
    infowindows::setBackground(this, kBackground);
    Shape1 = new Frame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Label1_0 = infowindows::makeLabel(this, QStringLiteral("Label1_0"), kTitleColour, 9);
    Label1_1 = infowindows::makeLabel(this, QStringLiteral("Label1_1"), kValueColour, 9);
    platform::DialogKeys::install(this);
    Form_Load();
}

void FrmOS::Form_Load()
{
    Label1_0->setText(QStringList{QStringLiteral("Name"), QStringLiteral("Version"), QStringLiteral("Build"),
                                  QStringLiteral("Additional "), QStringLiteral("Service Pack"),
                                  QStringLiteral("Suites")}
                          .join(QLatin1Char('\n')));
    const clsOS os;
    const QString nameRow = os.product.isEmpty() ? os.name : os.name + QLatin1Char(' ') + os.product;
    Label1_1->setText(
        QStringList{nameRow, os.version, os.build, os.additional, os.servicePack, os.suites}.join(QLatin1Char('\n')));

    // The design size, grown where a value is wider than the design allows.
    Label1_0->move(kMargin, kMargin);
    Label1_0->adjustSize();
    Label1_1->move(kValueLeft, kMargin);
    Label1_1->adjustSize();
    const int width = qMax(5175 / kTwipsPerPixel, kValueLeft + Label1_1->width() + 2 * kMargin);
    const int height = qMax(2490 / kTwipsPerPixel,
                            kMargin + qMax(Label1_0->height(), Label1_1->height()) + 3 * kMargin);
    setFixedSize(width, height);
    Shape1->setGeometry(kMargin / 2, kMargin / 2, width - kMargin, height - kMargin - 2 * kMargin);
    Shape1->lower();
    infowindows::centre(this);
}

void FrmOS::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Form_Activate();
}

void FrmOS::Form_Activate() { infowindows::applyOnTop(this, m_main); }
