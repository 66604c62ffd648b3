#pragma once

#include <QGraphicsObject>
#include <QStringList>
#include <vector>

#include "TPosition.h"
#include "framework/core/TComponent.h"
#include "framework/core/Types.h"

class TForm;
class QGraphicsSceneMouseEvent;

// A visual component: one item of the window's scene. Qt supplies the
// transform, stacking, hit testing and pointer grab; this class speaks the
// window's vocabulary on top (Position, Align, RotationAngle, events) and is
// the edge where Qt calls into our code, so no exception passes it.
class TControl : public QGraphicsObject, public TComponent {
    Q_OBJECT

public:
    explicit TControl(TComponent* owner);

    // The tree: a control's parent is another control or, for top-level
    // controls, the window itself (ParentControl() is then null).
    TControl* ParentControl() const { return parentControl_; }
    TForm* Form() const { return form_; }
    const std::vector<TControl*>& Controls() const { return controls_; }
    void InsertChild(TComponent* child) override;
    void Loaded() override;
    void AttachToForm(TForm* form);

    TPosition Position{[this] { PositionChanged(); }};
    float Width() const { return width_; }
    float Height() const { return height_; }
    void SetSize(float width, float height);
    void SetWidth(float width) { SetSize(width, height_); }
    void SetHeight(float height) { SetSize(width_, height); }
    TAlignLayout Align() const { return align_; }
    void SetAlign(TAlignLayout align);
    float RotationAngle() const { return rotationAngle_; }
    void SetRotationAngle(float angle);
    QPointF RotationCenter() const { return rotationCenter_; }
    void SetRotationCenter(float x, float y);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool AbsoluteEnabled() const;
    bool HitTest() const { return hitTest_; }
    void SetHitTest(bool hitTest);
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int tabOrder);
    float Opacity() const { return opacity_; }
    void SetOpacity(float opacity);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);
    // Touch gestures the control answers where the platform has touch.
    const QStringList& InteractiveGestures() const { return gestures_; }
    void SetInteractiveGestures(const QStringList& gestures) { gestures_ = gestures; }

    // What assistive technology calls the control; empty leaves the name to
    // the control's class (a button's text, say).
    const QString& AccessibleName() const { return accessibleName_; }
    void SetAccessibleName(const QString& name);

    virtual bool CanFocus() const { return false; }
    bool IsFocused() const;
    void SetFocus();
    bool IsMouseOver() const { return mouseOver_; }

    QPointF LocalToAbsolute(QPointF point) const { return mapToScene(point); }
    QPointF AbsoluteToLocal(QPointF point) const { return mapFromScene(point); }
    QRectF LocalRect() const { return {0, 0, width_, height_}; }

    // Lays the children out by their Align within this control's box.
    void Realign();
    // Asks for a repaint of the whole control at the next paint of the window.
    void Repaint() { update(); }
    // Paints part of the control, in its own coordinates, at once: for code
    // that holds the event loop up, such as a long load.
    void RepaintNow(const QRectF& part);

    TMouseEvent OnMouseDown;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    bool contains(const QPointF& point) const override;
    bool collidesWithPath(const QPainterPath& path, Qt::ItemSelectionMode mode) const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    // A rectangle of the scene, in whole logical pixels, that the control's
    // painting covers with fully opaque pixels; empty when none. The window
    // doesn't fill its background there.
    virtual QRectF OpaqueCover() { return {}; }

protected:
    virtual void Paint(QPainter& painter);
    // The part of the control its painting can touch, in its own
    // coordinates; a repaint that exposes none of it skips the control.
    virtual QRectF PaintedRect() const { return LocalRect(); }
    // Whether a point in the control's own coordinates hits it.
    virtual bool IsHit(QPointF point) const;

    virtual void MouseDown(TMouseButton button, TShiftState shift, float x, float y);
    // The second press of a double click, after it came as a press.
    virtual void MouseDoubleClick(TMouseButton button, TShiftState shift, float x, float y);
    virtual void MouseMove(TShiftState shift, float x, float y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, float x, float y);
    // Sets handled when the control used the wheel; otherwise the wheel goes
    // on to what lies below.
    virtual void MouseWheel(TShiftState shift, int wheelDelta, bool& handled);
    // Sets key to 0 when the control used the key.
    virtual void KeyDown(int& key, const QString& text, TShiftState shift);
    virtual void DoEnter(Qt::FocusReason reason);
    virtual void DoExit(Qt::FocusReason reason);
    virtual void DoMouseEnter() {}
    virtual void DoMouseLeave() {}
    // The pointer grab of a press ended without a release reaching us.
    virtual void DoMouseCaptureLost() {}
    virtual void Resized() {}
    // The window's device pixels per logical pixel, 1 when not yet shown.
    double DisplayScale() const;

    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
    void wheelEvent(QGraphicsSceneWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hoverEnterEvent(QGraphicsSceneHoverEvent* event) override;
    void hoverLeaveEvent(QGraphicsSceneHoverEvent* event) override;
    bool sceneEvent(QEvent* event) override;

private:
    void PositionChanged();
    void UpdateTransformOrigin();
    void UpdateMouseAcceptance();
    void RealignParent();
    void Press(QGraphicsSceneMouseEvent* event);

    TControl* parentControl_ = nullptr;
    TForm* form_ = nullptr;
    std::vector<TControl*> controls_;
    float width_ = 0;
    float height_ = 0;
    TAlignLayout align_ = TAlignLayout::None;
    float rotationAngle_ = 0;
    QPointF rotationCenter_{0.5, 0.5};
    bool visible_ = true;
    bool enabled_ = true;
    bool hitTest_ = true;
    int tabOrder_ = -1;
    float opacity_ = 1;
    TCursor cursor_ = TCursor::crDefault;
    QStringList gestures_;
    QString accessibleName_;
    bool mouseOver_ = false;
    bool realigning_ = false;
};
