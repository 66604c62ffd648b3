#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "framework/core/TComponent.h"
#include "framework/loader/TDescriptionRoot.h"

class QGraphicsScene;
class QMimeData;
class TControl;
class TFormView;

// A top-level window: a view on a scene whose items are the window's
// controls. Subclasses publish their component fields and handler methods,
// then load their stored description, which builds everything else.
class TForm : public TComponent, public TDescriptionRoot {
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
    // Paints the whole window at once, for code that holds the event loop up.
    void RepaintNow();
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

    TComponent& RootComponent() override { return *this; }

    // The window is closing: its components hear of it (the timers stop)
    // before anything else runs.
    void Closing();

    // Files dropped on the window; a window without a handler takes none.
    TDropFilesEvent OnDropFiles;
    // The files a drop of this data would hand over: the local files among
    // it when the first thing dropped is one (not a folder, text or a remote
    // address), otherwise none, and the drop is refused.
    static QStringList DroppedFiles(const QMimeData* data);

protected:
    // Reads the description from a resource or file path and builds the window.
    void LoadDescription(const QString& path);

private:
    std::unique_ptr<QGraphicsScene> scene_;
    std::unique_ptr<TFormView> view_;
    std::vector<TControl*> controls_;
    bool realigning_ = false;
    int left_ = 0;
    int top_ = 0;
};
