#include <QApplication>

#include "Unit1.h"
#include "framework/window/TApplication.h"

int main(int, char* argv[]) {
    // The program takes no command line; Qt must not read one either.
    int argc = 1;
    QApplication platform(argc, argv);
    Application->Initialize();
    Application->CreateForm(Form1);
    Application->Run();
    return Application->ExitCode();
}
