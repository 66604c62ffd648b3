#include "TControl.h"

#include <QGraphicsScene>
#include <QGraphicsSceneHoverEvent>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSceneWheelEvent>
#include <QKeyEvent>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionGraphicsItem>
#include <QWidget>
#include <cmath>
#include <optional>

#include "QtInput.h"
#include "TAccessibleEvents.h"
#include "TAligner.h"
#include "TApplication.h"
#include "TForm.h"
#include "TFormView.h"

TControl::TControl(TComponent* owner) : TComponent(owner) {
    // We decide focus ourselves: a press focuses only the control it lands
    // on, and only if that control takes the focus.
    setFlags(ItemIsFocusable | ItemStopsFocusHandling);
    // Qt paints every item within a pixel or two of a repainted area, so the
    // whole tool strip used to be painted, clipped away, with each full
    // repaint of the chart below it. The exposed part tells us when to skip.
    setFlag(ItemUsesExtendedStyleOption);
    setAcceptHoverEvents(true);
}

void TControl::InsertChild(TComponent* child) {
    auto* control = dynamic_cast<TControl*>(child);
    if (!control) return TComponent::InsertChild(child);
    control->parentControl_ = this;
    control->setParentItem(this);
    control->form_ = form_;
    controls_.push_back(control);
    control->UpdateMouseAcceptance();
    Realign();
}

void TControl::Loaded() {
    TComponent::Loaded();
    Realign();
}

void TControl::AttachToForm(TForm* form) {
    form_ = form;
    for (TControl* child : controls_) child->AttachToForm(form);
}

void TControl::SetSize(float width, float height) {
    width = std::max(width, 0.0f);
    height = std::max(height, 0.0f);
    if (width == width_ && height == height_) return;
    prepareGeometryChange();
    width_ = width;
    height_ = height;
    UpdateTransformOrigin();
    Resized();
    Realign();
    RealignParent();
    TAccessibleEvents::Moved(this);
}

void TControl::SetAlign(TAlignLayout align) {
    if (align == align_) return;
    align_ = align;
    RealignParent();
}

void TControl::SetRotationAngle(float angle) {
    if (std::abs(angle - rotationAngle_) <= 0.0001f) return;
    rotationAngle_ = angle;
    setRotation(angle);
    TAccessibleEvents::Moved(this);
}

void TControl::SetRotationCenter(float x, float y) {
    if (rotationCenter_ == QPointF(x, y)) return;
    rotationCenter_ = QPointF(x, y);
    UpdateTransformOrigin();
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    setVisible(visible);
    RealignParent();
    TAccessibleEvents::Shown(this, visible);
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    setEnabled(enabled);
    UpdateMouseAcceptance();
    update();
    QAccessible::State changed;
    changed.disabled = true;
    TAccessibleEvents::StateChanged(this, changed);
}

bool TControl::AbsoluteEnabled() const {
    return enabled_ && (!parentControl_ || parentControl_->AbsoluteEnabled());
}

void TControl::SetHitTest(bool hitTest) {
    if (hitTest == hitTest_) return;
    hitTest_ = hitTest;
    UpdateMouseAcceptance();
}

void TControl::SetTabOrder(int tabOrder) {
    tabOrder_ = std::max(tabOrder, -1);
}

void TControl::SetOpacity(float opacity) {
    opacity = std::clamp(opacity, 0.0f, 1.0f);
    if (opacity == opacity_) return;
    opacity_ = opacity;
    setOpacity(opacity);
}

void TControl::SetCursor(TCursor cursor) {
    if (cursor == cursor_) return;
    cursor_ = cursor;
    switch (cursor) {
        case TCursor::crDefault:
            unsetCursor();
            break;
        case TCursor::crArrow:
            setCursor(Qt::ArrowCursor);
            break;
        case TCursor::crIBeam:
            setCursor(Qt::IBeamCursor);
            break;
        case TCursor::crHandPoint:
            setCursor(Qt::PointingHandCursor);
            break;
    }
}

void TControl::SetAccessibleName(const QString& name) {
    if (name == accessibleName_) return;
    accessibleName_ = name;
    TAccessibleEvents::NameChanged(this);
}

void TControl::RepaintNow(const QRectF& part) {
    QGraphicsView* view = form_ ? form_->View() : nullptr;
    if (!view || !view->isVisible()) return;
    // Whole device pixels around the part, so that its edges are painted too.
    const QRect area = view->mapFromScene(mapToScene(part)).boundingRect().adjusted(-1, -1, 1, 1);
    view->viewport()->repaint(area);
}

bool TControl::IsFocused() const {
    return form_ && form_->Focused() == this;
}

void TControl::SetFocus() {
    if (form_) form_->SetFocused(this, Qt::OtherFocusReason);
}

void TControl::Realign() {
    // Placing a child resizes it, which asks us again; one pass is enough.
    if (realigning_ || IsLoading()) return;
    realigning_ = true;
    TAligner::Arrange(LocalRect(), controls_);
    realigning_ = false;
}

QRectF TControl::boundingRect() const {
    return LocalRect();
}

QPainterPath TControl::shape() const {
    QPainterPath path;
    path.addRect(LocalRect());
    return path;
}

bool TControl::contains(const QPointF& point) const {
    return IsHit(point);
}

namespace {

// Qt looks for the items under the pointer with a one-pixel square whose
// first corner is the pointer, or with a zero-length path at it. Either way
// the question is about that one point.
std::optional<QPointF> PointerQuery(const QPainterPath& path) {
    const int n = path.elementCount();
    if (n == 0) return std::nullopt;
    const QPointF first = path.elementAt(0);
    const QRectF bounds = path.controlPointRect();
    if (bounds.width() == 0 && bounds.height() == 0) return first;
    if (n != 5) return std::nullopt;
    auto side = [&](int a, int b) { return QLineF(path.elementAt(a), path.elementAt(b)).length(); };
    if (std::abs(side(0, 1) - 1) < 1e-9 && std::abs(side(1, 2) - 1) < 1e-9 &&
        std::abs(side(2, 3) - 1) < 1e-9)
        return first;
    return std::nullopt;
}

}  // namespace

bool TControl::collidesWithPath(const QPainterPath& path, Qt::ItemSelectionMode mode) const {
    // Answer pointer questions with our own exact test rather than Qt's
    // polygon approximation of the shape over a whole pixel.
    if (const std::optional<QPointF> point = PointerQuery(path)) return IsHit(*point);
    return QGraphicsObject::collidesWithPath(path, mode);
}

void TControl::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*) {
    if (width_ <= 0 || height_ <= 0) return;
    if (option && !option->exposedRect.intersects(PaintedRect())) return;
    TApplication::PaintScope scope;
    painter->save();
    Application->Guard([&] { Paint(*painter); });
    painter->restore();
}

void TControl::Paint(QPainter&) {}

bool TControl::IsHit(QPointF point) const {
    return width_ > 0 && height_ > 0 && point.x() >= 0 && point.y() >= 0 && point.x() <= width_ &&
           point.y() <= height_;
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState, float, float) {}
void TControl::MouseUp(TMouseButton, TShiftState, float, float) {}
void TControl::MouseWheel(TShiftState, int, bool&) {}
void TControl::KeyDown(int&, const QString&, TShiftState) {}
void TControl::DoEnter(Qt::FocusReason) {}
void TControl::DoExit(Qt::FocusReason) {}

double TControl::DisplayScale() const {
    if (form_) return form_->DisplayScale();
    return 1.0;
}

void TControl::MouseDoubleClick(TMouseButton, TShiftState, float, float) {}

void TControl::Press(QGraphicsSceneMouseEvent* event) {
    event->accept();
    const auto button = QtInput::Button(event->button());
    if (!button) return;
    const QPointF at = event->pos();
    Application->Guard([&] {
        // The focus moves before the control hears of the press, so an edit
        // losing it commits first.
        if (CanFocus() && form_) form_->SetFocused(this, Qt::MouseFocusReason);
        MouseDown(*button, QtInput::Shift(event), float(at.x()), float(at.y()));
    });
}

void TControl::mousePressEvent(QGraphicsSceneMouseEvent* event) {
    Press(event);
}

void TControl::mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event) {
    // Qt has already delivered the second press as a press; this only says
    // that it completed a double click.
    event->accept();
    const auto button = QtInput::Button(event->button());
    if (!button) return;
    const QPointF at = event->pos();
    Application->Guard([&] {
        MouseDoubleClick(*button, QtInput::Shift(event) | ssDouble, float(at.x()), float(at.y()));
    });
}

void TControl::mouseMoveEvent(QGraphicsSceneMouseEvent* event) {
    const QPointF at = event->pos();
    Application->Guard([&] { MouseMove(QtInput::Shift(event), float(at.x()), float(at.y())); });
}

void TControl::mouseReleaseEvent(QGraphicsSceneMouseEvent* event) {
    const auto button = QtInput::Button(event->button());
    if (!button) return;
    const QPointF at = event->pos();
    Application->Guard(
        [&] { MouseUp(*button, QtInput::Shift(event), float(at.x()), float(at.y())); });
}

void TControl::wheelEvent(QGraphicsSceneWheelEvent* event) {
    bool handled = false;
    Application->Guard([&] { MouseWheel(QtInput::Shift(event), event->delta(), handled); });
    event->setAccepted(handled);
}

void TControl::keyPressEvent(QKeyEvent* event) {
    int key = event->key();
    Application->Guard([&] { KeyDown(key, event->text(), QtInput::Shift(event->modifiers())); });
    event->setAccepted(key == 0);
}

void TControl::focusInEvent(QFocusEvent* event) {
    Application->Guard([&] { DoEnter(event->reason()); });
    update();
    TAccessibleEvents::Focus(this);
}

void TControl::focusOutEvent(QFocusEvent* event) {
    Application->Guard([&] { DoExit(event->reason()); });
    update();
}

void TControl::hoverEnterEvent(QGraphicsSceneHoverEvent*) {
    mouseOver_ = true;
    Application->Guard([&] { DoMouseEnter(); });
    update();
}

void TControl::hoverLeaveEvent(QGraphicsSceneHoverEvent*) {
    mouseOver_ = false;
    Application->Guard([&] { DoMouseLeave(); });
    update();
}

bool TControl::sceneEvent(QEvent* event) {
    if (event->type() == QEvent::UngrabMouse) Application->Guard([&] { DoMouseCaptureLost(); });
    return QGraphicsObject::sceneEvent(event);
}

void TControl::PositionChanged() {
    setPos(Position.Point());
    TAccessibleEvents::Moved(this);
}

void TControl::UpdateTransformOrigin() {
    setTransformOriginPoint(rotationCenter_.x() * width_, rotationCenter_.y() * height_);
}

void TControl::UpdateMouseAcceptance() {
    // A disabled item would swallow presses in Qt; ours let them through to
    // what lies below, as hidden ones do.
    const bool accepts = hitTest_ && AbsoluteEnabled();
    setAcceptedMouseButtons(accepts ? Qt::AllButtons : Qt::NoButton);
    for (TControl* child : controls_) child->UpdateMouseAcceptance();
}

void TControl::RealignParent() {
    if (parentControl_)
        parentControl_->Realign();
    else if (form_)
        form_->Realign();
}
