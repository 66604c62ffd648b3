#include "TAccessibleSpinBoxEdit.h"

#include <QFontMetricsF>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QLineEdit>
#include <algorithm>

#include "TSpinBox.h"
#include "framework/accessibility/TAccessibleControl.h"

TAccessibleSpinBoxEdit::TAccessibleSpinBoxEdit(QLineEdit* edit)
    : QAccessibleWidget(edit, QAccessible::EditableText) {}

TSpinBox* TAccessibleSpinBoxEdit::HostOf(QObject* object) {
    const auto* edit = qobject_cast<QLineEdit*>(object);
    const QGraphicsProxyWidget* proxy = edit ? edit->graphicsProxyWidget() : nullptr;
    QGraphicsItem* host = proxy ? proxy->parentItem() : nullptr;
    return host ? qobject_cast<TSpinBox*>(host->toGraphicsObject()) : nullptr;
}

QLineEdit* TAccessibleSpinBoxEdit::Edit() const {
    return static_cast<QLineEdit*>(widget());
}

QGraphicsProxyWidget* TAccessibleSpinBoxEdit::Proxy() const {
    const QLineEdit* edit = Edit();
    return edit ? edit->graphicsProxyWidget() : nullptr;
}

QAccessibleInterface* TAccessibleSpinBoxEdit::Box() const {
    TSpinBox* box = HostOf(Edit());
    return box ? QAccessible::queryAccessibleInterface(box) : nullptr;
}

QWindow* TAccessibleSpinBoxEdit::window() const {
    const QAccessibleInterface* box = Box();
    return box ? box->window() : nullptr;
}

QAccessibleInterface* TAccessibleSpinBoxEdit::parent() const {
    return Box();
}

QRect TAccessibleSpinBoxEdit::rect() const {
    const QGraphicsProxyWidget* proxy = Proxy();
    if (!proxy) return {};
    return TAccessibleControl::ScreenRect(*proxy, QRectF(QPointF(), proxy->size()));
}

QString TAccessibleSpinBoxEdit::text(QAccessible::Text t) const {
    const QLineEdit* edit = Edit();
    if (!edit) return {};
    switch (t) {
        case QAccessible::Name: {
            // Named after its box, as a label beside it would name it.
            const QAccessibleInterface* box = Box();
            return box ? box->text(QAccessible::Name) : QString();
        }
        case QAccessible::Value:
            return edit->text();
        default:
            return {};
    }
}

QAccessible::State TAccessibleSpinBoxEdit::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    const QLineEdit* edit = Edit();
    if (!edit) return state;
    if (const QAccessibleInterface* box = Box()) {
        const QAccessible::State outer = box->state();
        state.invisible = outer.invisible;
        state.offscreen = outer.offscreen;
        state.disabled = outer.disabled;
    }
    state.editable = !edit->isReadOnly();
    state.readOnly = edit->isReadOnly();
    state.selectableText = true;
    return state;
}

void* TAccessibleSpinBoxEdit::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

void TAccessibleSpinBoxEdit::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    const QLineEdit* edit = Edit();
    if (selectionIndex != 0 || !edit || !edit->hasSelectedText()) return;
    *startOffset = edit->selectionStart();
    *endOffset = edit->selectionEnd();
}

int TAccessibleSpinBoxEdit::selectionCount() const {
    const QLineEdit* edit = Edit();
    return edit && edit->hasSelectedText() ? 1 : 0;
}

void TAccessibleSpinBoxEdit::addSelection(int startOffset, int endOffset) {
    // A line editor holds one selection at most.
    setSelection(0, startOffset, endOffset);
}

void TAccessibleSpinBoxEdit::removeSelection(int selectionIndex) {
    if (QLineEdit* edit = Edit(); edit && selectionIndex == 0) edit->deselect();
}

void TAccessibleSpinBoxEdit::setSelection(int selectionIndex, int startOffset, int endOffset) {
    QLineEdit* edit = Edit();
    if (!edit || selectionIndex != 0) return;
    const int size = int(edit->text().size());
    startOffset = std::clamp(startOffset, 0, size);
    endOffset = std::clamp(endOffset, 0, size);
    edit->setSelection(startOffset, endOffset - startOffset);
}

int TAccessibleSpinBoxEdit::cursorPosition() const {
    const QLineEdit* edit = Edit();
    return edit ? edit->cursorPosition() : 0;
}

void TAccessibleSpinBoxEdit::setCursorPosition(int position) {
    if (QLineEdit* edit = Edit()) edit->setCursorPosition(position);
}

QString TAccessibleSpinBoxEdit::text(int startOffset, int endOffset) const {
    const QLineEdit* edit = Edit();
    if (!edit || startOffset > endOffset) return {};
    return edit->text().mid(startOffset, endOffset - startOffset);
}

int TAccessibleSpinBoxEdit::characterCount() const {
    const QLineEdit* edit = Edit();
    return edit ? int(edit->text().size()) : 0;
}

QRect TAccessibleSpinBoxEdit::characterRect(int offset) const {
    const QLineEdit* edit = Edit();
    const QGraphicsProxyWidget* proxy = Proxy();
    if (!edit || !proxy) return {};
    const QString text = edit->text();
    if (offset < 0 || offset >= text.size()) return {};
    // Measured from the caret, the one place the editor tells.
    const QFontMetricsF metrics(edit->font());
    const QRectF caret = edit->inputMethodQuery(Qt::ImCursorRectangle).toRectF();
    const double left = caret.left() + metrics.horizontalAdvance(text.left(offset)) -
                        metrics.horizontalAdvance(text.left(edit->cursorPosition()));
    const QRectF character(left, caret.top(), metrics.horizontalAdvance(text.at(offset)),
                           caret.height());
    return TAccessibleControl::ScreenRect(*proxy, character);
}

int TAccessibleSpinBoxEdit::offsetAtPoint(const QPoint& point) const {
    QLineEdit* edit = Edit();
    const QGraphicsProxyWidget* proxy = Proxy();
    if (!edit || !proxy || !proxy->scene() || proxy->scene()->views().isEmpty()) return -1;
    const QGraphicsView* view = proxy->scene()->views().front();
    const QPointF inScene = view->mapToScene(view->viewport()->mapFromGlobal(point));
    const QPointF local = proxy->mapFromScene(inScene);
    if (!QRectF(QPointF(), proxy->size()).contains(local)) return -1;
    return edit->cursorPositionAt(local.toPoint());
}

QString TAccessibleSpinBoxEdit::attributes(int, int* startOffset, int* endOffset) const {
    // One run of plain text.
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}
