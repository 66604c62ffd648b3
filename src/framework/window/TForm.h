#pragma once

#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "framework/core/TComponent.h"
#include "framework/core/THandler.h"

class QGraphicsScene;
class TControl;
class TFormView;

// A top-level window: a view on a scene whose items are the window's
// controls. Subclasses publish their component fields and handler methods,
// then load their stored description, which builds everything else.
class TForm : public TComponent {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    QString Caption() const;
    void SetCaption(const QString& caption);
    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientSize(int width, int height);
    void SetClientWidth(int width) { SetClientSize(width, ClientHeight()); }
    void SetClientHeight(int height) { SetClientSize(ClientWidth(), height); }

    void Show();
    void Close();
    TFormView* View() const { return view_.get(); }
    QGraphicsScene* Scene() const { return scene_.get(); }
    double DisplayScale() const;

    const std::vector<TControl*>& Controls() const { return controls_; }
    void InsertChild(TComponent* child) override;
    void Realign();
    void Loaded() override;
    // Where the window was stored; the system places new windows itself.
    int Left() const { return left_; }
    void SetLeft(int left) { left_ = left; }
    int Top() const { return top_; }
    void SetTop(int top) { top_ = top; }

    TControl* Focused() const;
    void SetFocused(TControl* control, Qt::FocusReason reason);
    // Moves the focus to the next (or previous) control in tab order.
    void SelectNext(bool forward);
    // Every control that can take the focus now, in tab order.
    std::vector<TControl*> TabList() const;

    // What the description loader binds by name.
    bool BindField(const QString& name, TComponent* component);
    const THandler* FindHandler(const QString& name) const;

    // The window is closing: its timers stop before anything else runs.
    void Closing();

protected:
    template <class T>
    void PublishField(const QString& name, T*& field) {
        fields_[name] = [&field](TComponent* c) { return bool(field = dynamic_cast<T*>(c)); };
    }
    template <class F>
    void PublishHandler(const QString& name, void (F::*method)(TObject*)) {
        handlers_[name] = TNotifyEvent([this, method](TObject* s) { (Self<F>()->*method)(s); });
    }
    template <class F>
    void PublishHandler(const QString& name,
                        void (F::*method)(TObject*, TMouseButton, TShiftState, float, float)) {
        handlers_[name] =
            TMouseEvent([this, method](TObject* s, TMouseButton b, TShiftState sh, float x,
                                       float y) { (Self<F>()->*method)(s, b, sh, x, y); });
    }
    template <class F>
    void PublishHandler(const QString& name, void (F::*method)(TBitmap*)) {
        handlers_[name] =
            TDidFinishTakingEvent([this, method](TBitmap* b) { (Self<F>()->*method)(b); });
    }
    // Reads the description from a resource or file path and builds the window.
    void LoadDescription(const QString& path);

private:
    template <class F>
    F* Self() {
        return static_cast<F*>(this);
    }

    std::unique_ptr<QGraphicsScene> scene_;
    std::unique_ptr<TFormView> view_;
    std::vector<TControl*> controls_;
    std::map<QString, std::function<bool(TComponent*)>> fields_;
    std::map<QString, THandler> handlers_;
    bool realigning_ = false;
    int left_ = 0;
    int top_ = 0;
};
