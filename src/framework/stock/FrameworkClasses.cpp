#include "FrameworkClasses.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QResource>

#include "TAction.h"
#include "TActionList.h"
#include "TButton.h"
#include "TEllipse.h"
#include "TImage.h"
#include "TOpenDialog.h"
#include "TPanel.h"
#include "TTakePhotoFromLibraryAction.h"
#include "TTimer.h"
#include "framework/core/Exception.h"
#include "framework/loader/TClassRegistry.h"
#include "framework/window/TForm.h"
#include "picture/BackgroundDecode.h"

namespace DV = DescriptionValues;

namespace {

// A picture the description names, read ahead and, when it decodes in the
// background, decoding already.
struct PreparedPicture {
    QByteArray bytes;
    std::unique_ptr<BackgroundDecode> decode;
};

const QString kX = QStringLiteral("X");
const QString kY = QStringLiteral("Y");
const QString kWidth = QStringLiteral("Width");
const QString kHeight = QStringLiteral("Height");

// Pictures are named relative to the description.
QString PicturePath(const TLoadContext& context, const QString& file) {
    return QFileInfo(context.Source()).path() + u'/' + file;
}

QString PictureKey(const QString& path) {
    return QStringLiteral("picture:") + path;
}

// A picture stored with the description: mapped in place when it is an
// uncompressed resource, so the only copy is the one the program carries.
QByteArray ReadPicture(const QString& path, TLoadContext& context) {
    QResource resource(path);
    if (resource.isValid() && resource.compressionAlgorithm() == QResource::NoCompression)
        return QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()),
                                       qsizetype(resource.size()));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        context.Fail(QStringLiteral("cannot read the picture \"%1\"").arg(path));
    return file.readAll();
}

// The picture read ahead by the prefetch, or read now.
PreparedPicture TakePicture(const QString& path, TLoadContext& context) {
    if (const auto prepared = context.Take<PreparedPicture>(PictureKey(path)))
        return std::move(*prepared);
    return {ReadPicture(path, context), nullptr};
}

void RegisterControl(TClassRegistry& registry) {
    registry.Register<TComponent>(QStringLiteral("TComponent"));
    TClassBuilder<TControl>(
        registry.Register<TControl>(QStringLiteral("TControl"), QStringLiteral("TComponent")))
        .Custom(QStringLiteral("Position"),
                [](TControl& c, const QJsonValue& v, TLoadContext& context, const QString& name) {
                    const auto [x, y] = DV::Pair(v, context, name, kX, kY);
                    c.Position.SetPoint(float(x), float(y));
                })
        .Custom(QStringLiteral("Size"),
                [](TControl& c, const QJsonValue& v, TLoadContext& context, const QString& name) {
                    const auto [width, height] = DV::Pair(v, context, name, kWidth, kHeight);
                    c.SetSize(float(width), float(height));
                })
        .Custom(QStringLiteral("RotationCenter"),
                [](TControl& c, const QJsonValue& v, TLoadContext& context, const QString& name) {
                    const auto [x, y] = DV::Pair(v, context, name, kX, kY);
                    c.SetRotationCenter(float(x), float(y));
                })
        .Custom(QStringLiteral("Align"),
                [](TControl& c, const QJsonValue& v, TLoadContext& context, const QString& name) {
                    c.SetAlign(DV::Enum<TAlignLayout>(v, context, name,
                                                      {{"None", TAlignLayout::None},
                                                       {"Top", TAlignLayout::Top},
                                                       {"Bottom", TAlignLayout::Bottom},
                                                       {"Left", TAlignLayout::Left},
                                                       {"Right", TAlignLayout::Right},
                                                       {"Client", TAlignLayout::Client}}));
                })
        .Custom(QStringLiteral("Cursor"),
                [](TControl& c, const QJsonValue& v, TLoadContext& context, const QString& name) {
                    c.SetCursor(DV::Enum<TCursor>(v, context, name,
                                                  {{"crDefault", TCursor::crDefault},
                                                   {"crArrow", TCursor::crArrow},
                                                   {"crIBeam", TCursor::crIBeam},
                                                   {"crHandPoint", TCursor::crHandPoint}}));
                })
        .Custom(
            QStringLiteral("Touch"),
            [](TControl& c, const QJsonValue& v, TLoadContext& context, const QString& name) {
                static const QStringList known{"Zoom",        "Pan",     "Rotate",   "TwoFingerTap",
                                               "PressAndTap", "LongTap", "DoubleTap"};
                const QJsonObject touch =
                    DV::Object(v, context, name, {QStringLiteral("InteractiveGestures")});
                QStringList gestures;
                for (const QJsonValue& g :
                     touch.value(QStringLiteral("InteractiveGestures")).toArray()) {
                    const QString gesture = DV::String(g, context, name + ".InteractiveGestures");
                    if (!known.contains(gesture))
                        context.Fail(QStringLiteral("unknown gesture \"%1\"").arg(gesture));
                    gestures << gesture;
                }
                c.SetInteractiveGestures(gestures);
            })
        .Property(QStringLiteral("AccessibleName"), &TControl::SetAccessibleName)
        .Property(QStringLiteral("RotationAngle"), &TControl::SetRotationAngle)
        .Property(QStringLiteral("Visible"), &TControl::SetVisible)
        .Property(QStringLiteral("Enabled"), &TControl::SetEnabled)
        .Property(QStringLiteral("HitTest"), &TControl::SetHitTest)
        .Property(QStringLiteral("TabOrder"), &TControl::SetTabOrder)
        .Property(QStringLiteral("Opacity"), &TControl::SetOpacity)
        .Event(QStringLiteral("OnMouseDown"), &TControl::OnMouseDown);
}

void RegisterForm(TClassRegistry& registry) {
    TClassBuilder<TForm>(
        registry.Register<TForm>(QStringLiteral("TForm"), QStringLiteral("TComponent")))
        .Property(QStringLiteral("Caption"), &TForm::SetCaption)
        .Property(QStringLiteral("ClientWidth"), &TForm::SetClientWidth)
        .Property(QStringLiteral("ClientHeight"), &TForm::SetClientHeight)
        .Property(QStringLiteral("Left"), &TForm::SetLeft)
        .Property(QStringLiteral("Top"), &TForm::SetTop)
        .Event(QStringLiteral("OnDropFiles"), &TForm::OnDropFiles)
        .DesignOnly(QStringLiteral("FormFactor"))
        .DesignOnly(QStringLiteral("DesignerMasterStyle"));
}

void RegisterVisuals(TClassRegistry& registry) {
    registry.Register<TPanel>(QStringLiteral("TPanel"), QStringLiteral("TControl"));

    TClassBuilder<TButton>(
        registry.Register<TButton>(QStringLiteral("TButton"), QStringLiteral("TControl")))
        .Property(QStringLiteral("Text"), &TButton::SetText)
        .Property(QStringLiteral("ImageIndex"), &TButton::SetImageIndex)
        .Custom(QStringLiteral("Action"),
                [](TButton& b, const QJsonValue& v, TLoadContext& context, const QString& name) {
                    const QString target = DV::String(v, context, name);
                    const QString where = context.Where();
                    context.Defer([&b, &context, target, where] {
                        auto* action = dynamic_cast<TAction*>(context.Find(target));
                        if (!action)
                            throw EDescriptionError(
                                QStringLiteral("%1: no action named \"%2\"").arg(where, target));
                        b.SetAction(action);
                    });
                })
        .Event(QStringLiteral("OnClick"), &TButton::OnClick);

    TClassBuilder<TEllipse>(
        registry.Register<TEllipse>(QStringLiteral("TEllipse"), QStringLiteral("TControl")))
        .Custom(QStringLiteral("Fill"),
                [](TEllipse& e, const QJsonValue& v, TLoadContext& context, const QString& name) {
                    const QJsonObject fill =
                        DV::Object(v, context, name, {QStringLiteral("Color")});
                    e.SetFillColor(
                        DV::Color(fill.value(QStringLiteral("Color")), context, name + ".Color"));
                })
        .Custom(QStringLiteral("Stroke"), [](TEllipse& e, const QJsonValue& v,
                                             TLoadContext& context, const QString& name) {
            const QJsonObject stroke = DV::Object(
                v, context, name, {QStringLiteral("Color"), QStringLiteral("Thickness")});
            if (stroke.contains(QStringLiteral("Color")))
                e.SetStrokeColor(
                    DV::Color(stroke.value(QStringLiteral("Color")), context, name + ".Color"));
            if (stroke.contains(QStringLiteral("Thickness")))
                e.SetStrokeThickness(float(DV::Number(stroke.value(QStringLiteral("Thickness")),
                                                      context, name + ".Thickness")));
        });

    TClassBuilder<TImage>(
        registry.Register<TImage>(QStringLiteral("TImage"), QStringLiteral("TControl")))
        .Property(QStringLiteral("DisableInterpolation"), &TImage::SetDisableInterpolation)
        .Custom(QStringLiteral("WrapMode"),
                [](TImage& image, const QJsonValue& v, TLoadContext& context, const QString& name) {
                    image.SetWrapMode(
                        DV::Enum<TImageWrapMode>(v, context, name, {{"Fit", TImageWrapMode::Fit}}));
                })
        .Custom(QStringLiteral("MultiResBitmap"),
                [](TImage& image, const QJsonValue& v, TLoadContext& context, const QString& name) {
                    if (!v.isArray())
                        context.Fail(QStringLiteral("property \"%1\" must be a list").arg(name));
                    for (const QJsonValue& e : v.toArray()) {
                        const QJsonObject entry =
                            DV::Object(e, context, name,
                                       {QStringLiteral("Scale"), QStringLiteral("Width"),
                                        QStringLiteral("Height"), QStringLiteral("Picture")});
                        const double scale = entry.contains(QStringLiteral("Scale"))
                                                 ? DV::Number(entry.value(QStringLiteral("Scale")),
                                                              context, name + ".Scale")
                                                 : 1.0;
                        if (scale <= 0)
                            context.Fail(QStringLiteral("a picture's scale must be positive"));
                        const QString file = DV::String(entry.value(QStringLiteral("Picture")),
                                                        context, name + ".Picture");
                        const QSize size(int(DV::Number(entry.value(QStringLiteral("Width")),
                                                        context, name + ".Width")),
                                         int(DV::Number(entry.value(QStringLiteral("Height")),
                                                        context, name + ".Height")));
                        PreparedPicture picture = TakePicture(PicturePath(context, file), context);
                        image.MultiResBitmap()
                            .Add(float(scale))
                            .SetCompressed(std::move(picture.bytes), size,
                                           std::move(picture.decode));
                    }
                })
        .Prefetch(QStringLiteral("MultiResBitmap"), [](const QJsonValue& v, TLoadContext& context) {
            for (const QJsonValue& e : v.toArray()) {
                const QString file = e.toObject().value(QStringLiteral("Picture")).toString();
                if (file.isEmpty()) continue;
                const QString path = PicturePath(context, file);
                auto prepared = std::make_shared<PreparedPicture>();
                prepared->bytes = ReadPicture(path, context);
                prepared->decode = BackgroundDecode::Start(prepared->bytes);
                context.Keep(PictureKey(path), std::move(prepared));
            }
        });
}

void RegisterNonVisuals(TClassRegistry& registry) {
    TClassBuilder<TTimer>(
        registry.Register<TTimer>(QStringLiteral("TTimer"), QStringLiteral("TComponent")))
        .Property(QStringLiteral("Enabled"), &TTimer::SetEnabled)
        .Property(QStringLiteral("Interval"), &TTimer::SetInterval)
        .Event(QStringLiteral("OnTimer"), &TTimer::OnTimer);

    TClassBuilder<TOpenDialog>(
        registry.Register<TOpenDialog>(QStringLiteral("TOpenDialog"), QStringLiteral("TComponent")))
        .Property(QStringLiteral("FileName"), &TOpenDialog::SetFileName);

    registry.Register<TActionList>(QStringLiteral("TActionList"), QStringLiteral("TComponent"));

    TClassBuilder<TAction>(
        registry.Register<TAction>(QStringLiteral("TAction"), QStringLiteral("TComponent")))
        .Property(QStringLiteral("Caption"), &TAction::SetCaption)
        .Property(QStringLiteral("Category"), &TAction::SetCategory)
        .Property(QStringLiteral("Visible"), &TAction::SetVisible)
        .Property(QStringLiteral("Enabled"), &TAction::SetEnabled)
        .Event(QStringLiteral("OnExecute"), &TAction::OnExecute);

    TClassBuilder<TTakePhotoFromLibraryAction>(
        registry.Register<TTakePhotoFromLibraryAction>(
            QStringLiteral("TTakePhotoFromLibraryAction"), QStringLiteral("TAction")))
        .Property(QStringLiteral("MaxWidth"), &TTakePhotoFromLibraryAction::SetMaxWidth)
        .Property(QStringLiteral("MaxHeight"), &TTakePhotoFromLibraryAction::SetMaxHeight)
        .Property(QStringLiteral("Editable"), &TTakePhotoFromLibraryAction::SetEditable)
        .Property(QStringLiteral("NeedSaveToAlbum"),
                  &TTakePhotoFromLibraryAction::SetNeedSaveToAlbum)
        .Property(QStringLiteral("HideIfUnsupportedInterface"),
                  &TTakePhotoFromLibraryAction::SetHideIfUnsupportedInterface)
        .Event(QStringLiteral("OnDidFinishTaking"), &TTakePhotoFromLibraryAction::OnDidFinishTaking)
        .Event(QStringLiteral("OnDidCancelTaking"),
               &TTakePhotoFromLibraryAction::OnDidCancelTaking);
}

}  // namespace

void RegisterFrameworkClasses(TClassRegistry& registry) {
    RegisterControl(registry);
    RegisterForm(registry);
    RegisterVisuals(registry);
    RegisterNonVisuals(registry);
}
