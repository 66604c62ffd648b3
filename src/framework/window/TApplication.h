#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <vector>

#include "TMessageBoxRequest.h"
#include "framework/core/TComponent.h"

class TForm;

// The program's application object: creates the windows recorded for it,
// runs the event loop, and reports every exception that escapes a handler.
class TApplication : public TComponent {
public:
    TApplication();

    void Initialize();
    // A window has shown a frame; what waits for the first one follows.
    void WindowShown();
    // Records a window to create when Run starts; nothing is created yet.
    template <class T>
    void CreateForm(T*& reference) {
        pendingForms_.push_back([this, &reference]() -> TForm* {
            reference = new T(this);
            return reference;
        });
    }
    void Run();
    void Terminate();
    TForm* MainForm() const { return mainForm_; }
    int ExitCode() const { return exitCode_; }

    // Runs code that Qt called into: nothing it throws goes back into Qt.
    template <class F>
    void Guard(F&& action) noexcept {
        try {
            action();
        } catch (...) {
            HandleException(std::current_exception());
        }
    }
    void HandleException(std::exception_ptr error) noexcept;

    // The text the error box shows for a failure, or nothing for a silent one.
    static std::optional<QString> ErrorText(std::exception_ptr error);

    // Shows the error box; tests put their own in its place.
    std::function<void(const TMessageBoxRequest&)> MessageBoxPresenter;

    // While a paint runs, a nested event loop would repaint into it, so
    // reports wait until the paint is over.
    class PaintScope {
    public:
        PaintScope() { ++depth_; }
        ~PaintScope() { --depth_; }
        PaintScope(const PaintScope&) = delete;
        PaintScope& operator=(const PaintScope&) = delete;
        static bool Active() { return depth_ > 0; }

    private:
        static inline int depth_ = 0;
    };

private:
    void Present(const TMessageBoxRequest& request) noexcept;
    QWidget* Owner() const;

    static void SetWindowIcon();

    std::vector<std::function<TForm*()>> pendingForms_;
    TForm* mainForm_ = nullptr;
    bool iconPending_ = false;
    int exitCode_ = 0;
#ifdef Q_OS_WIN
    // Whether Initialize joined the UI thread to a COM apartment.
    bool comJoined_ = false;
#endif
};

extern TApplication* const Application;
