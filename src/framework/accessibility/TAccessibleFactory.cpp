#include "TAccessibleFactory.h"

#include <QAccessible>
#include <QApplication>
#include <map>

#include "TAccessibleApplication.h"
#include "TAccessibleButton.h"
#include "TAccessibleControl.h"
#include "TAccessibleEllipse.h"
#include "TAccessibleFormView.h"
#include "TAccessibleImage.h"
#include "framework/stock/TButton.h"
#include "framework/stock/TEllipse.h"
#include "framework/stock/TImage.h"
#include "framework/window/TAccessibleEvents.h"
#include "framework/window/TApplication.h"
#include "framework/window/TFormView.h"

namespace {

std::map<QString, TAccessibleFactory::Maker>& Makers() {
    static std::map<QString, TAccessibleFactory::Maker> makers;
    return makers;
}

// A control whose description tells where it is must say so again when it
// moves; the window layer that reports the move can't know which do.
bool DescribesPlace(QObject* object) {
    const auto* control =
        dynamic_cast<const TAccessibleControl*>(QAccessible::queryAccessibleInterface(object));
    return control && control->DescribesPlace();
}

}  // namespace

void TAccessibleFactory::Install() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    Add(QString::fromLatin1(QApplication::staticMetaObject.className()),
        [](QObject* object) -> QAccessibleInterface* {
            return object == qApp ? new TAccessibleApplication : nullptr;
        });
    Add<TFormView, TAccessibleFormView>();
    Add(QString::fromLatin1(TControl::staticMetaObject.className()),
        [](QObject* object) -> QAccessibleInterface* {
            auto* control = qobject_cast<TControl*>(object);
            return control ? new TAccessibleControl(control, QAccessible::Pane) : nullptr;
        });
    Add<TButton, TAccessibleButton>();
    Add<TImage, TAccessibleImage>();
    Add<TEllipse, TAccessibleEllipse>();
    TAccessibleEvents::DescribesPlace = DescribesPlace;
    QAccessible::installFactory(&TAccessibleFactory::Create);
}

void TAccessibleFactory::Add(const QString& className, Maker maker) {
    Makers()[className] = std::move(maker);
}

void TAccessibleFactory::Renew(QObject* object) {
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(object))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

QAccessibleInterface* TAccessibleFactory::Create(const QString& className, QObject* object) {
    QAccessibleInterface* made = nullptr;
    Application->Guard([&] {
        const auto maker = Makers().find(className);
        if (maker != Makers().end()) made = maker->second(object);
    });
    return made;
}
