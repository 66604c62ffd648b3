#include "TApplication.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <utility>

#include "TForm.h"
#include "TFormView.h"
#include "TPlatformStyle.h"
#include "framework/core/Exception.h"

#ifdef Q_OS_WIN
#include <objbase.h>
#endif

namespace {

TApplication applicationInstance;

void ShowSystemMessageBox(const TMessageBoxRequest& request) {
    QMessageBox box(request.Icon, request.Caption, request.Text, request.Buttons, request.Owner);
    box.exec();
}

QString MessageOf(std::exception_ptr error, std::exception_ptr* inner) {
    *inner = nullptr;
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        *inner = e.InnerException();
        return e.Message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown exception");
    }
}

bool IsAbort(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

TApplication* const Application = &applicationInstance;

TApplication::TApplication() : TComponent(nullptr), MessageBoxPresenter(ShowSystemMessageBox) {}

void TApplication::Initialize() {
    // Reading the icon's pictures wakes Qt's picture readers, a dozen
    // milliseconds before the first frame; it waits until that is shown.
    iconPending_ = true;
    TPlatformStyle::Select(TPlatformStyle::ForThisSystem());
#ifdef Q_OS_WIN
    // The system's file dialog is a COM object that the UI thread may only
    // use from a single-threaded apartment. Qt's Windows platform has
    // usually joined one already; this makes sure of it on every platform
    // plugin, and is undone when the loop has ended.
    if (!comJoined_) {
        const HRESULT joined =
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        comJoined_ = SUCCEEDED(joined);
        if (joined == RPC_E_CHANGED_MODE)
            qWarning("The UI thread is in a multithreaded apartment: the file dialog may fail");
    }
#endif
}

void TApplication::WindowShown() {
    if (!std::exchange(iconPending_, false)) return;
    // After the frame has reached the screen, not inside its paint.
    QTimer::singleShot(0, qApp, [this] { Guard(SetWindowIcon); });
}

void TApplication::SetWindowIcon() {
    // A program keeps its icon among its resources, under its desktop id.
    const QString id = QGuiApplication::desktopFileName();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 256})
        icon.addFile(QStringLiteral(":/%1/icon/%1-%2.png").arg(id).arg(size), QSize(size, size));
    QGuiApplication::setWindowIcon(icon);
}

void TApplication::Run() {
    try {
        for (auto& create : pendingForms_) {
            TForm* form = create();
            if (!mainForm_) mainForm_ = form;
        }
        pendingForms_.clear();
    } catch (...) {
        exitCode_ = 1;
        if (auto text = ErrorText(std::current_exception()))
            std::fprintf(stderr, "%s\n", qPrintable(*text));
        HandleException(std::current_exception());
        DestroyComponents();
        return;
    }
    if (!mainForm_) return;
    mainForm_->Show();
    QApplication::exec();
    mainForm_ = nullptr;
    DestroyComponents();
#ifdef Q_OS_WIN
    if (std::exchange(comJoined_, false)) CoUninitialize();
#endif
}

void TApplication::Terminate() {
    QCoreApplication::quit();
}

std::optional<QString> TApplication::ErrorText(std::exception_ptr error) {
    if (IsAbort(error)) return std::nullopt;
    std::exception_ptr inner;
    QString text = MessageOf(error, &inner);
    // The innermost cause says best what went wrong, when it says anything.
    QString innermost;
    while (inner) innermost = MessageOf(inner, &inner);
    if (!innermost.isEmpty()) text = innermost;
    if (!text.isEmpty() && text.back().unicode() > u'.') text += u'.';
    return text;
}

void TApplication::HandleException(std::exception_ptr error) noexcept {
    try {
        const std::optional<QString> text = ErrorText(error);
        if (!text) return;
        TMessageBoxRequest request{QStringLiteral("Error"), *text, QMessageBox::Critical,
                                   QMessageBox::Ok, Owner()};
        if (PaintScope::Active()) {
            QMetaObject::invokeMethod(
                qApp, [this, request] { Present(request); }, Qt::QueuedConnection);
            return;
        }
        Present(request);
    } catch (...) {
        // Reporting itself failed (out of memory, most likely): the loop
        // goes on, which is all that is left to do.
    }
}

QWidget* TApplication::Owner() const {
    if (mainForm_) return mainForm_->View();
    return QApplication::activeWindow();
}

void TApplication::Present(const TMessageBoxRequest& request) noexcept {
    try {
        MessageBoxPresenter(request);
    } catch (...) {
    }
}
