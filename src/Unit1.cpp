#include "Unit1.h"

#include <mutex>

#include "controls/ControlAccessibility.h"
#include "controls/ControlClasses.h"
#include "framework/accessibility/TAccessibleFactory.h"
#include "framework/loader/TClassRegistry.h"
#include "framework/stock/FrameworkClasses.h"
#include "navigation/HeadingRule.h"
#include "navigation/MotionStep.h"

TForm1* Form1 = nullptr;
double u = 0;

void RegisterUnit1Classes() {
    static std::once_flag once;
    std::call_once(once, [] {
        Q_INIT_RESOURCE(tidemark);
        Q_INIT_RESOURCE(chart);
        TClassRegistry& registry = TClassRegistry::Instance();
        RegisterFrameworkClasses(registry);
        RegisterControlClasses(registry);
        registry.Register<TForm1>(QStringLiteral("TForm1"), QStringLiteral("TForm"));
        TAccessibleFactory::Install();
        RegisterControlAccessibility();
    });
}

TForm1::TForm1(TComponent* Owner) : TForm(Owner) {
    RegisterUnit1Classes();
    PublishField("Panel1", Panel1);
    PublishField("Button1", Button1);
    PublishField("Button3", Button3);
    PublishField("ArcDial1", ArcDial1);
    PublishField("SpinBox2", SpinBox2);
    PublishField("Switch1", Switch1);
    PublishField("OpenDialog1", OpenDialog1);
    PublishField("Timer1", Timer1);
    PublishField("Image1", Image1);
    PublishField("Ellipse1", Ellipse1);
    PublishField("ActionList1", ActionList1);
    PublishField("TakePhotoFromLibraryAction1", TakePhotoFromLibraryAction1);
    PublishHandler("Button1Click", &TForm1::Button1Click);
    PublishHandler("ArcDial1Change", &TForm1::ArcDial1Change);
    PublishHandler("Switch1Switch", &TForm1::Switch1Switch);
    PublishHandler("Timer1Timer", &TForm1::Timer1Timer);
    PublishHandler("Image1MouseDown", &TForm1::Image1MouseDown);
    PublishHandler("TakePhotoFromLibraryAction1DidFinishTaking",
                   &TForm1::TakePhotoFromLibraryAction1DidFinishTaking);
    PublishHandler("FormDropFiles", &TForm1::FormDropFiles);
    LoadDescription(QString::fromLatin1(DescriptionPath));
}

void TForm1::Button1Click(TObject*) {
    if (OpenDialog1->Execute()) Image1->Bitmap().LoadFromFile(OpenDialog1->FileName());
}

void TForm1::TakePhotoFromLibraryAction1DidFinishTaking(TBitmap* Image) {
    Image1->Bitmap().Assign(Image);
}

void TForm1::FormDropFiles(TObject*, const QStringList& Files) {
    // As if the first file had been chosen with Button1.
    Image1->Bitmap().LoadFromFile(Files.first());
}

void TForm1::ApplyHeading() {
    u = HeadingRule::FromDial(ArcDial1->Value());
    Ellipse1->SetRotationAngle(float(u));
}

void TForm1::ArcDial1Change(TObject*) {
    if (!Switch1->IsChecked()) return;
    ApplyHeading();
}

void TForm1::Switch1Switch(TObject*) {
    Timer1->SetEnabled(Switch1->IsChecked());
    ApplyHeading();
}

void TForm1::Timer1Timer(TObject*) {
    const double theta = MotionStep::Radians(u);
    Ellipse1->Position.SetX(MotionStep::NextX(Ellipse1->Position.X(), SpinBox2->Value(), theta));
    Ellipse1->Position.SetY(MotionStep::NextY(Ellipse1->Position.Y(), SpinBox2->Value(), theta));
}

void TForm1::Image1MouseDown(TObject*, TMouseButton, TShiftState, float X, float Y) {
    // The marker lives in the window, not in the chart view: convert the
    // point, then put the marker's centre on it.
    const QPointF at = Image1->LocalToAbsolute(QPointF(X, Y));
    Ellipse1->Position.SetX(float(at.x() - Ellipse1->Width() / 2));
    Ellipse1->Position.SetY(float(at.y() - Ellipse1->Height() / 2));
}
