#pragma once

#include "controls/dial/TArcDial.h"
#include "controls/spinbox/TSpinBox.h"
#include "controls/switch/TSwitch.h"
#include "framework/stock/TActionList.h"
#include "framework/stock/TButton.h"
#include "framework/stock/TEllipse.h"
#include "framework/stock/TImage.h"
#include "framework/stock/TOpenDialog.h"
#include "framework/stock/TPanel.h"
#include "framework/stock/TTakePhotoFromLibraryAction.h"
#include "framework/stock/TTimer.h"
#include "framework/window/TForm.h"

// The main window: a tool strip above a chart, and a ship marker that the
// handlers below steer. Everything else about it is in its description.
class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* Owner);

    TPanel* Panel1 = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button3 = nullptr;
    TArcDial* ArcDial1 = nullptr;
    TSpinBox* SpinBox2 = nullptr;
    TSwitch* Switch1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    TTimer* Timer1 = nullptr;
    TImage* Image1 = nullptr;
    TEllipse* Ellipse1 = nullptr;
    TActionList* ActionList1 = nullptr;
    TTakePhotoFromLibraryAction* TakePhotoFromLibraryAction1 = nullptr;

    void Button1Click(TObject* Sender);
    void ArcDial1Change(TObject* Sender);
    void Switch1Switch(TObject* Sender);
    void Timer1Timer(TObject* Sender);
    void Image1MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, float X, float Y);
    void TakePhotoFromLibraryAction1DidFinishTaking(TBitmap* Image);
    void FormDropFiles(TObject* Sender, const QStringList& Files);

    // Where the window's description is stored.
    static constexpr const char* DescriptionPath = ":/tidemark/Unit1.json";

private:
    void ApplyHeading();
};

// Makes every class the window's description names known to the loader, and
// to assistive technology.
void RegisterUnit1Classes();

extern TForm1* Form1;
// The ship's heading in degrees, a compass bearing on the screen.
extern double u;
