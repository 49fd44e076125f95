#include "platform/controls/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

namespace platform {
namespace {

enum class Look { OneText, Picture, ClickablePicture, Hidden };

// Marks a widget with the look it is to be described with; kept as the
// widget's child, so it lives and dies with it.
class LookMark : public QObject {
public:
    LookMark(QWidget* widget, Look kind, QString fallback)
        : QObject(widget), look(kind), fallbackName(std::move(fallback))
    {
        if (kind == Look::Picture || kind == Look::ClickablePicture)
            widget->installEventFilter(this);
    }

    const Look look;
    const QString fallbackName;

protected:
    // A picture's name follows its tool tip: a new tip is a new name.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ToolTipChange && QAccessible::isActive()) {
            QAccessibleEvent changed(watched, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&changed);
        }
        return false;
    }
};

QAccessible::Role roleOf(Look look)
{
    switch (look) {
    case Look::OneText: return QAccessible::StaticText;
    case Look::Picture: return QAccessible::Graphic;
    case Look::ClickablePicture: return QAccessible::Button;
    case Look::Hidden: break;
    }
    return QAccessible::Client;
}

class MarkedWidget : public QAccessibleWidget {
public:
    MarkedWidget(QWidget* widget, Look look, QString fallbackName)
        : QAccessibleWidget(widget, roleOf(look)), m_look(look), m_fallbackName(std::move(fallbackName))
    {}

    QString text(QAccessible::Text t) const override
    {
        switch (m_look) {
        case Look::OneText: return t == QAccessible::Name ? widget()->accessibleName() : QString();
        case Look::Hidden: return QAccessibleWidget::text(t);
        case Look::Picture:
        case Look::ClickablePicture: break;
        }
        if (t == QAccessible::Name)
            return pictureName();
        // The tool tip is the picture's name already, not its description too.
        if (t == QAccessible::Description)
            return widget()->accessibleDescription();
        return QAccessibleWidget::text(t);
    }

    // One text has nothing inside it: its digits and pictures are what it reads.
    int childCount() const override { return m_look == Look::OneText ? 0 : QAccessibleWidget::childCount(); }
    QAccessibleInterface* child(int index) const override
    {
        return m_look == Look::OneText ? nullptr : QAccessibleWidget::child(index);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return m_look == Look::OneText ? -1 : QAccessibleWidget::indexOfChild(child);
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        return m_look == Look::OneText ? nullptr : QAccessibleWidget::childAt(x, y);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (m_look == Look::Hidden)
            s.invisible = true;
        return s;
    }

    QStringList actionNames() const override
    {
        if (m_look == Look::ClickablePicture)
            return {QAccessibleActionInterface::pressAction()};
        return QAccessibleWidget::actionNames();
    }

    void doAction(const QString& actionName) override
    {
        if (m_look != Look::ClickablePicture || actionName != QAccessibleActionInterface::pressAction()) {
            QAccessibleWidget::doAction(actionName);
            return;
        }
        // The picture's own click handling runs, as for a click with the pointer.
        QPointer<QWidget> target = widget();
        const QPointF centre = QRectF(target->rect()).center();
        const QPointF global = target->mapToGlobal(centre);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            if (!target)
                return;
            const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
            QMouseEvent click(type, centre, global, Qt::LeftButton, held, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &click);
        }
    }

private:
    QString pictureName() const
    {
        if (!widget()->accessibleName().isEmpty())
            return widget()->accessibleName();
        return widget()->toolTip().isEmpty() ? m_fallbackName : widget()->toolTip();
    }

    Look m_look;
    QString m_fallbackName;
};

// The mark of a widget, if it has one (the mark has no meta-object of its own,
// so it is told from other children by its type).
LookMark* markOf(const QObject* widget)
{
    for (QObject* child : widget->children())
        if (auto* found = dynamic_cast<LookMark*>(child))
            return found;
    return nullptr;
}

QAccessibleInterface* markedWidgetFactory(const QString& className, QObject* object)
{
    // Asked once per class of the object's ancestry: answer for its own class only.
    if (!object || !object->isWidgetType() || className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    const LookMark* mark = markOf(object);
    if (!mark)
        return nullptr;
    return new MarkedWidget(static_cast<QWidget*>(object), mark->look, mark->fallbackName);
}

void mark(QWidget* widget, Look look, const QString& fallbackName = {})
{
    static const bool installed = [] {
        QAccessible::installFactory(markedWidgetFactory);
        return true;
    }();
    Q_UNUSED(installed);
    delete markOf(widget);
    new LookMark(widget, look, fallbackName);
}

} // namespace

void describeAsOneText(QWidget* widget) { mark(widget, Look::OneText); }

void describeAsPicture(QWidget* picture, PictureAction action, const QString& fallbackName)
{
    mark(picture, action == PictureAction::Click ? Look::ClickablePicture : Look::Picture, fallbackName);
}

void hideFromScreenReaders(QWidget* widget) { mark(widget, Look::Hidden); }

void nameAfterCaption(QWidget* field, QLabel* caption)
{
    caption->setBuddy(field);
    field->setAccessibleName(caption->text());
}

} // namespace platform
