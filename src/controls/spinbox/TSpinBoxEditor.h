#pragma once

#include <QClipboard>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <functional>

class QEvent;
class QFocusEvent;
class QGraphicsItem;
class QGraphicsProxyWidget;
class QInputMethodEvent;
class QKeyEvent;
class QLineEdit;
class QMenu;
class QMouseEvent;
class TSpinBoxEngine;

// The spin box's text area: Qt's own single-line editor, hosted in the
// scene, for the caret, selection, mouse and clipboard behaviour users know.
// What the engine decides (typing, pasting, the text after a commit) goes
// through the engine; what the editor does itself (erasing, cutting,
// undoing) comes back to the engine as a received text.
class TSpinBoxEditor : public QObject {
    Q_OBJECT

public:
    TSpinBoxEditor(QGraphicsItem* host, TSpinBoxEngine& engine);
    ~TSpinBoxEditor() override;

    QLineEdit* LineEdit() const { return edit_; }
    QGraphicsProxyWidget* Proxy() const { return proxy_; }
    void SetGeometry(const QRectF& rect);
    void SetReadOnly(bool readOnly);
    void SetInputHints(Qt::InputMethodHints hints);

    // Shows the engine's text, caret and selection.
    void Show();
    // Hands the editor's caret and selection to the engine.
    void TakeSelection();
    void SelectAll();
    void Paste(QClipboard::Mode mode = QClipboard::Clipboard);
    // The text's context menu, built afresh each time; the caller owns it.
    QMenu* CreateContextMenu(QWidget* parent = nullptr);

    // What the host answers, before the editor sees the event. Positions are
    // in the host's coordinates.
    std::function<void(QMouseEvent* event, QPointF at)> OnPress;
    // Returns whether the host used the key.
    std::function<bool(QKeyEvent* event)> OnKey;
    std::function<void(Qt::FocusReason reason)> OnFocusIn;
    std::function<void(Qt::FocusReason reason)> OnFocusOut;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Filter(QEvent* event);
    bool KeyPress(QKeyEvent* event);
    bool InputMethod(QInputMethodEvent* event);
    void MiddleClickPaste(QMouseEvent* event);
    void ShowContextMenu(QPoint globalPos);
    void EditorChangedText();

    TSpinBoxEngine& engine_;
    QGraphicsProxyWidget* proxy_ = nullptr;
    QLineEdit* edit_ = nullptr;
    QPointer<QMenu> menu_;
    bool writing_ = false;
    bool receiving_ = false;
};
