#include "TFormView.h"

#include <QDropEvent>
#include <QGraphicsItem>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <cmath>

#include "TApplication.h"
#include "TControl.h"
#include "TForm.h"

TFormView::TFormView(TForm& form, QGraphicsScene* scene) : QGraphicsView(scene), form_(form) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTransformationAnchor(QGraphicsView::NoAnchor);
    setResizeAnchor(QGraphicsView::NoAnchor);
    setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                   QPainter::TextAntialiasing);
    // Only what changed is painted: a moving marker repaints its old and new
    // places, not the chart under the whole window.
    setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    // The window decides which drops it takes (TForm::OnDropFiles).
    setAcceptDrops(true);
    setOptimizationFlag(QGraphicsView::DontSavePainterState);
    // The view paints the window's opaque background under every exposed
    // pixel itself; letting the viewport fill it first would paint each
    // repaint twice, a tenth of a full repaint of the chart at 4K.
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
}

QPointF TFormView::RoundToLogicalPixels(QPointF point) {
    return {std::nearbyint(point.x()), std::nearbyint(point.y())};
}

void TFormView::paintEvent(QPaintEvent* event) {
    QGraphicsView::paintEvent(event);
    Application->Guard([] { Application->WindowShown(); });
}

void TFormView::drawBackground(QPainter* painter, const QRectF& rect) {
    Application->Guard([&] {
        // What an opaque picture covers would be painted over at once: at
        // 3840 x 2160 filling it first took a fifth of a full repaint.
        QRectF covered;
        for (QGraphicsItem* item : scene()->items(rect, Qt::IntersectsItemBoundingRect)) {
            if (auto* control = qobject_cast<TControl*>(item->toGraphicsObject())) {
                const QRectF cover = control->OpaqueCover().intersected(rect);
                if (cover.width() * cover.height() > covered.width() * covered.height())
                    covered = cover;
            }
        }
        const QBrush brush = backgroundBrush();
        const bool antialiased = painter->testRenderHint(QPainter::Antialiasing);
        painter->setRenderHint(QPainter::Antialiasing, false);
        const auto fill = [&](double left, double top, double right, double bottom) {
            if (right > left && bottom > top)
                painter->fillRect(QRectF(left, top, right - left, bottom - top), brush);
        };
        if (covered.isEmpty()) {
            painter->fillRect(rect, brush);
        } else {
            // The bands above, below, left and right of the covered part.
            fill(rect.left(), rect.top(), rect.right(), covered.top());
            fill(rect.left(), covered.bottom(), rect.right(), rect.bottom());
            fill(rect.left(), covered.top(), covered.left(), covered.bottom());
            fill(covered.right(), covered.top(), rect.right(), covered.bottom());
        }
        painter->setRenderHint(QPainter::Antialiasing, antialiased);
    });
}

bool TFormView::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (plain && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            const bool forward =
                key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
            Application->Guard([&] { form_.SelectNext(forward); });
            return true;
        }
    }
    // Qt hands WindowBlocked to event() alone, never to changeEvent().
    if (event->type() == QEvent::WindowBlocked) changeEvent(event);
    return QGraphicsView::event(event);
}

void TFormView::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    setSceneRect(0, 0, viewport()->width(), viewport()->height());
    Application->Guard([&] { form_.Realign(); });
}

void TFormView::closeEvent(QCloseEvent* event) {
    Application->Guard([&] { form_.Closing(); });
    QGraphicsView::closeEvent(event);
}

void TFormView::changeEvent(QEvent* event) {
    // A modal box opened while a button is held takes the release; the grab
    // must not outlive it and steal the next press.
    if (event->type() == QEvent::WindowBlocked) pressedButton_ = Qt::NoButton;
    if (event->type() == QEvent::WindowBlocked && scene()) {
        if (QGraphicsItem* grabber = scene()->mouseGrabberItem()) grabber->ungrabMouse();
    }
    QGraphicsView::changeEvent(event);
}

template <class Deliver>
void TFormView::DeliverRounded(QMouseEvent* event, Deliver deliver) {
    const QPointF local = RoundToLogicalPixels(event->position());
    const QPointF global = event->globalPosition() - event->position() + local;
    QMouseEvent rounded(event->type(), local, local, global, event->button(), event->buttons(),
                        event->modifiers(), event->source(), event->pointingDevice());
    rounded.setTimestamp(event->timestamp());
    deliver(&rounded);
    event->setAccepted(rounded.isAccepted());
}

void TFormView::mousePressEvent(QMouseEvent* event) {
    pressedButton_ = event->button();
    DeliverRounded(event, [this](QMouseEvent* e) { QGraphicsView::mousePressEvent(e); });
}

void TFormView::mouseDoubleClickEvent(QMouseEvent* event) {
    // Qt 6 sends the second press of a double click, from a mouse or a
    // finger, only as a double click. Controls hear every press as a press,
    // so it goes to them as one first.
    if (pressedButton_ != event->button()) {
        QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->scenePosition(),
                          event->globalPosition(), event->button(), event->buttons(),
                          event->modifiers(), event->source(), event->pointingDevice());
        press.setTimestamp(event->timestamp());
        mousePressEvent(&press);
    }
    DeliverRounded(event, [this](QMouseEvent* e) { QGraphicsView::mouseDoubleClickEvent(e); });
}

void TFormView::mouseMoveEvent(QMouseEvent* event) {
    DeliverRounded(event, [this](QMouseEvent* e) { QGraphicsView::mouseMoveEvent(e); });
}

void TFormView::mouseReleaseEvent(QMouseEvent* event) {
    pressedButton_ = Qt::NoButton;
    DeliverRounded(event, [this](QMouseEvent* e) { QGraphicsView::mouseReleaseEvent(e); });
}

QStringList TFormView::TakeDrop(QDropEvent* event) const {
    QStringList files;
    // Only read, never moved: a source offering nothing else keeps its file.
    if (form_.OnDropFiles && (event->possibleActions() & Qt::CopyAction))
        files = TForm::DroppedFiles(event->mimeData());
    if (files.isEmpty()) {
        event->ignore();
        return {};
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return files;
}

void TFormView::dragEnterEvent(QDragEnterEvent* event) {
    TakeDrop(event);
}

void TFormView::dragMoveEvent(QDragMoveEvent* event) {
    TakeDrop(event);
}

void TFormView::dragLeaveEvent(QDragLeaveEvent* event) {
    // The scene's items take no drops: nothing to tell them.
    event->accept();
}

void TFormView::dropEvent(QDropEvent* event) {
    const QStringList files = TakeDrop(event);
    if (files.isEmpty()) return;
    // The drag's source waits until the drop is taken; the handler, which may
    // load for a while, runs after.
    QMetaObject::invokeMethod(
        this,
        [this, files] {
            Application->Guard([&] {
                if (form_.OnDropFiles) form_.OnDropFiles(&form_, files);
            });
        },
        Qt::QueuedConnection);
}

bool TFormView::focusNextPrevChild(bool) {
    // Tab never leaves the view for another widget; the form moves the focus
    // among its own controls.
    return true;
}
