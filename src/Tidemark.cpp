#include <QApplication>

#include "ProgramIdentity.h"
#include "Unit1.h"
#include "framework/window/TApplication.h"

int main(int, char* argv[]) {
    ProgramIdentity::Apply();
    // The program takes no command line; Qt must not read one either.
    int argc = 1;
    QApplication platform(argc, argv);
    Application->Initialize();
    Application->CreateForm(Form1);
    Application->Run();
    return Application->ExitCode();
}
