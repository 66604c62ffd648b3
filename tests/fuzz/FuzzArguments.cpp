#include "FuzzArguments.h"

#include <QByteArray>
#include <QtGlobal>
#include <cstring>

namespace FuzzArguments {

void PrependDefaults(int* argc, char*** argv, const std::vector<std::string>& defaults) {
    // libFuzzer keeps pointers into argv for the whole run, and so do these.
    static std::vector<std::string> storage;
    static std::vector<char*> arguments;
    storage = defaults;
    arguments.clear();
    arguments.push_back((*argv)[0]);
    for (std::string& flag : storage) arguments.push_back(flag.data());
    for (int i = 1; i < *argc; ++i) arguments.push_back((*argv)[i]);
    arguments.push_back(nullptr);
    *argc = int(arguments.size() - 1);
    *argv = arguments.data();
}

void UseOffscreenPlatform() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_QPA_OFFSCREEN_NO_GLX"))
        qputenv("QT_QPA_OFFSCREEN_NO_GLX", "1");
}

void SilenceQt() {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

}  // namespace FuzzArguments
