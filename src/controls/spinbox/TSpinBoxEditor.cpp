#include "TSpinBoxEditor.h"

#include <QContextMenuEvent>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QTimer>
#include <algorithm>
#include <limits>

#include "TSpinBoxEngine.h"
#include "framework/accessibility/TAccessibleFactory.h"
#include "framework/window/TApplication.h"
#include "framework/window/TPlatformStyle.h"

namespace {

// Keys that produce text, as opposed to shortcuts and editing keys.
bool IsTyping(const QKeyEvent* event) {
    const QString text = event->text();
    if (text.isEmpty()) return false;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier)) return false;
    const char16_t first = text.front().unicode();
    return first >= 32 && first != 127;
}

int AnchorOf(const QLineEdit* edit) {
    const int cursor = edit->cursorPosition();
    if (!edit->hasSelectedText()) return cursor;
    return cursor == edit->selectionStart() ? edit->selectionEnd() : edit->selectionStart();
}

}  // namespace

TSpinBoxEditor::TSpinBoxEditor(QGraphicsItem* host, TSpinBoxEngine& engine) : engine_(engine) {
    edit_ = new QLineEdit;
    edit_->setFrame(false);
    edit_->setAlignment(Qt::AlignCenter);
    edit_->setMaxLength(std::numeric_limits<int>::max());
    edit_->setMinimumSize(1, 1);
    // Dropped text would get past the paste rules.
    edit_->setAcceptDrops(false);
    // The box paints its own face under the text.
    edit_->setAttribute(Qt::WA_TranslucentBackground);
    QPalette palette = edit_->palette();
    palette.setColor(QPalette::Window, Qt::transparent);
    palette.setColor(QPalette::Base, Qt::transparent);
    const TPlatformStyle::TSpinBoxColours& look = TPlatformStyle::Current().SpinBox;
    palette.setColor(QPalette::Text, look.Normal.Text);
    palette.setColor(QPalette::Disabled, QPalette::Text, look.Disabled.Text);
    edit_->setPalette(palette);
    QFont font = edit_->font();
    font.setPointSizeF(9);
    edit_->setFont(font);
    edit_->installEventFilter(this);
    connect(edit_, &QLineEdit::textChanged, this,
            [this] { Application->Guard([this] { EditorChangedText(); }); });

    // The proxy hands its focus on to the widget that last had it inside;
    // the editor is the only one, so it is made that widget from the start.
    edit_->setFocus();
    proxy_ = new QGraphicsProxyWidget(host);
    proxy_->setWidget(edit_);
    // Turning the wheel over the box steps it; it doesn't take the focus.
    proxy_->setFocusPolicy(Qt::StrongFocus);
    // A press on the text goes through the host, which decides the focus.
    proxy_->setFlag(QGraphicsItem::ItemStopsFocusHandling);
    // Setting the editor up made Qt describe it to assistive technology as
    // a window of its own; from here on it is part of the host.
    TAccessibleFactory::Renew(edit_);
    Show();
}

TSpinBoxEditor::~TSpinBoxEditor() {
    delete menu_;
    edit_->removeEventFilter(this);
}

void TSpinBoxEditor::SetGeometry(const QRectF& rect) {
    proxy_->setGeometry(rect);
}

void TSpinBoxEditor::SetReadOnly(bool readOnly) {
    edit_->setReadOnly(readOnly);
}

void TSpinBoxEditor::SetInputHints(Qt::InputMethodHints hints) {
    edit_->setInputMethodHints(hints);
}

void TSpinBoxEditor::Show() {
    // The editor is in the middle of a change of its own; it is told after.
    if (receiving_) return;
    const TEditBuffer& buffer = engine_.Edit();
    const QScopedValueRollback<bool> writing(writing_, true);
    const QString shown = edit_->text();
    const QString& text = buffer.Text();
    if (shown != text) {
        // Replace only what differs, so that the editor's own undo steps
        // stay those of the user.
        const qsizetype shorter = std::min(shown.size(), text.size());
        qsizetype prefix = 0;
        while (prefix < shorter && shown.at(prefix) == text.at(prefix)) ++prefix;
        qsizetype suffix = 0;
        while (suffix < shorter - prefix &&
               shown.at(shown.size() - 1 - suffix) == text.at(text.size() - 1 - suffix))
            ++suffix;
        const qsizetype removed = shown.size() - prefix - suffix;
        if (removed > 0)
            edit_->setSelection(int(prefix), int(removed));
        else
            edit_->setCursorPosition(int(prefix));
        edit_->insert(text.mid(prefix, text.size() - prefix - suffix));
        if (edit_->text() != text) edit_->setText(text);
    }
    if (buffer.HasSelection())
        edit_->setSelection(buffer.Anchor(), buffer.Cursor() - buffer.Anchor());
    else
        edit_->setCursorPosition(buffer.Cursor());
}

void TSpinBoxEditor::TakeSelection() {
    engine_.Select(AnchorOf(edit_), edit_->cursorPosition());
}

void TSpinBoxEditor::SelectAll() {
    engine_.Select(0, int(engine_.Text().size()));
    Show();
}

void TSpinBoxEditor::Paste(QClipboard::Mode mode) {
    TakeSelection();
    engine_.Paste(QGuiApplication::clipboard()->text(mode));
    Show();
}

QMenu* TSpinBoxEditor::CreateContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    const bool selection = edit_->hasSelectedText();
    const bool writable = !edit_->isReadOnly();
    const auto add = [&](const QString& text, bool enabled, auto action) {
        QAction* item = menu->addAction(text);
        item->setEnabled(enabled);
        connect(item, &QAction::triggered, this,
                [this, action] { Application->Guard([&] { action(this); }); });
    };
    add(QStringLiteral("Cut"), selection && writable, [](TSpinBoxEditor* e) { e->edit_->cut(); });
    add(QStringLiteral("Copy"), selection, [](TSpinBoxEditor* e) { e->edit_->copy(); });
    add(QStringLiteral("Paste"), writable && !QGuiApplication::clipboard()->text().isEmpty(),
        [](TSpinBoxEditor* e) { e->Paste(); });
    add(QStringLiteral("Delete"), selection && writable,
        [](TSpinBoxEditor* e) { e->edit_->del(); });
    menu->addSeparator();
    const bool allSelected = edit_->selectedText().size() == edit_->text().size();
    add(QStringLiteral("Select All"), !edit_->text().isEmpty() && !allSelected,
        [](TSpinBoxEditor* e) { e->SelectAll(); });
    return menu;
}

bool TSpinBoxEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edit_) return false;
    bool used = false;
    Application->Guard([&] { used = Filter(event); });
    return used;
}

bool TSpinBoxEditor::Filter(QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            return KeyPress(static_cast<QKeyEvent*>(event));
        case QEvent::InputMethod:
            return InputMethod(static_cast<QInputMethodEvent*>(event));
        case QEvent::MouseButtonPress: {
            // The host takes the focus first; the editor then puts the caret
            // at the press.
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (OnPress) OnPress(mouse, proxy_->mapToParent(mouse->position()));
            return false;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::MiddleButton) return false;
            if (QGuiApplication::clipboard()->supportsSelection()) Paste(QClipboard::Selection);
            return true;
        }
        case QEvent::ContextMenu:
            ShowContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        case QEvent::FocusIn:
            if (OnFocusIn) OnFocusIn(static_cast<QFocusEvent*>(event)->reason());
            return false;
        case QEvent::FocusOut:
            if (OnFocusOut) OnFocusOut(static_cast<QFocusEvent*>(event)->reason());
            return false;
        default:
            return false;
    }
}

bool TSpinBoxEditor::KeyPress(QKeyEvent* event) {
    TakeSelection();
    if (OnKey && OnKey(event)) {
        Show();
        return true;
    }
    if (event->matches(QKeySequence::Paste)) {
        Paste();
        return true;
    }
    if (!IsTyping(event)) return false;
    for (QChar c : event->text()) engine_.Type(c);
    Show();
    return true;
}

bool TSpinBoxEditor::InputMethod(QInputMethodEvent* event) {
    if (event->commitString().isEmpty()) return false;
    // Committed text is typing; what is still being composed stays the
    // input method's business.
    TakeSelection();
    for (QChar c : event->commitString()) engine_.Type(c);
    Show();
    QInputMethodEvent composing(event->preeditString(), event->attributes());
    QCoreApplication::sendEvent(edit_, &composing);
    return true;
}

void TSpinBoxEditor::ShowContextMenu(QPoint globalPos) {
    delete menu_;
    QWidget* window = nullptr;
    if (QGraphicsScene* scene = proxy_->scene(); scene && !scene->views().isEmpty())
        window = scene->views().front();
    menu_ = CreateContextMenu(window);
    menu_->setAttribute(Qt::WA_DeleteOnClose);
    menu_->popup(globalPos);
}

void TSpinBoxEditor::EditorChangedText() {
    if (writing_) return;
    {
        const QScopedValueRollback<bool> receiving(receiving_, true);
        engine_.ReceiveText(edit_->text(), AnchorOf(edit_), edit_->cursorPosition());
    }
    // Cleaning, or a read-only box, may keep another text than the editor's.
    if (edit_->text() != engine_.Text())
        QTimer::singleShot(0, this, [this] { Application->Guard([this] { Show(); }); });
}
