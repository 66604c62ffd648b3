#include "WindowChild.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>

#include "PaintProbe.h"
#include "ProcessStatus.h"
#include "ProgramIdentity.h"
#include "Unit1.h"
#include "framework/window/TApplication.h"
#include "framework/window/TFormView.h"

namespace {

// After the first frame: the memory once the window has settled, then the
// end.
void Finish(bool memory, std::int64_t firstFrameNs) {
    std::printf("first-frame-ns %lld\n", static_cast<long long>(firstFrameNs));
    std::fflush(stdout);
    if (!memory) {
        QCoreApplication::exit(0);
        return;
    }
    QTimer::singleShot(500, [] {
        std::printf("rss-kb %lld\nhwm-kb %lld\n", ProcessStatus::KiB("VmRSS:"),
                    ProcessStatus::KiB("VmHWM:"));
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
}

// The program's own start, as its main() does it.
int Chart(char* program, bool memory) {
    int argc = 1;
    char* argv[] = {program, nullptr};
    QApplication platform(argc, argv);
    bool done = false;
    PaintProbe probe([]() -> QWidget* { return Form1 ? Form1->View()->viewport() : nullptr; });
    probe.OnPainted = [&](const QRegion&, std::int64_t end) {
        // Only a frame that shows the decoded chart counts.
        TMultiResBitmap& store = Form1->Image1->MultiResBitmap();
        if (done || store.Count() != 1 || !store.Item(0).IsDecoded() ||
            store.Item(0).Bitmap().IsEmpty())
            return;
        done = true;
        // The window is destroyed after the loop; nothing should ask for it then.
        probe.Uninstall();
        Finish(memory, end);
    };
    probe.Install();
    ProgramIdentity::Apply();
    Application->Initialize();
    Application->CreateForm(Form1);
    Application->Run();
    return done ? 0 : 1;
}

int Empty(char* program, bool memory) {
    int argc = 1;
    char* argv[] = {program, nullptr};
    QApplication platform(argc, argv);
    QWidget window;
    window.resize(640, 480);
    bool done = false;
    PaintProbe probe([&window] { return &window; });
    probe.OnPainted = [&](const QRegion&, std::int64_t end) {
        if (done) return;
        done = true;
        probe.Uninstall();
        Finish(memory, end);
    };
    probe.Install();
    window.show();
    QApplication::exec();
    return done ? 0 : 1;
}

}  // namespace

namespace WindowChild {

int Run(int argc, char** argv) {
    bool memory = false;
    for (int i = 3; i < argc; ++i) memory = memory || std::strcmp(argv[i], "--memory") == 0;
    if (argc >= 3 && std::strcmp(argv[2], "chart") == 0) return Chart(argv[0], memory);
    if (argc >= 3 && std::strcmp(argv[2], "empty") == 0) return Empty(argv[0], memory);
    std::fprintf(stderr, "usage: %s --child chart|empty [--memory]\n", argv[0]);
    return 2;
}

}  // namespace WindowChild
