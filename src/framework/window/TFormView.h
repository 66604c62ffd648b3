#pragma once

#include <QGraphicsView>

class TForm;

// The window on screen. It hands pointer positions to the scene in whole
// logical pixels, keeps the scene the size of the client area, and owns the
// keys that move the focus.
class TFormView : public QGraphicsView {
    Q_OBJECT

public:
    TFormView(TForm& form, QGraphicsScene* scene);

    TForm& Form() const { return form_; }

    // Whole logical pixels, halves to even, as every handler receives them.
    static QPointF RoundToLogicalPixels(QPointF point);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    template <class Deliver>
    void DeliverRounded(QMouseEvent* event, Deliver deliver);
    // The files a drop would hand to the window, none when it takes none;
    // the event says whether it is taken, and as a copy.
    QStringList TakeDrop(QDropEvent* event) const;

    TForm& form_;
    // The button whose press the scene has heard and not yet its release.
    Qt::MouseButton pressedButton_ = Qt::NoButton;
};
