#pragma once

#include <QAccessibleWidget>

class QGraphicsProxyWidget;
class QLineEdit;
class TSpinBox;

// The text of a spin box: Qt's own line editor, hosted in the box's item.
// Qt takes a hosted widget for a window of its own; here it is the box's
// child, and the box its parent, in both directions.
class TAccessibleSpinBoxEdit : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TAccessibleSpinBoxEdit(QLineEdit* edit);

    // The spin box whose text an object is, or null.
    static TSpinBox* HostOf(QObject* object);

    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QRect rect() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // Focus goes to the box, not to its text alone.
    QStringList actionNames() const override { return {}; }
    void doAction(const QString&) override {}

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    QLineEdit* Edit() const;
    QGraphicsProxyWidget* Proxy() const;
    QAccessibleInterface* Box() const;
};
