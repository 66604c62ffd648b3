#include "TAccessibleFactory.h"

#include <QAccessible>
#include <QCoreApplication>
#include <vector>

#include "TAccessibleApplication.h"
#include "TAccessibleButton.h"
#include "TAccessibleControl.h"
#include "TAccessibleEllipse.h"
#include "TAccessibleFormView.h"
#include "TAccessibleImage.h"
#include "framework/window/TApplication.h"
#include "framework/stock/TButton.h"
#include "framework/stock/TEllipse.h"
#include "framework/window/TFormView.h"
#include "framework/stock/TImage.h"

namespace {

std::vector<TAccessibleFactory::Maker>& Makers() {
    static std::vector<TAccessibleFactory::Maker> makers;
    return makers;
}

template <class Object, class Interface>
TAccessibleFactory::Maker MakerFor() {
    return [](QObject* object) -> QAccessibleInterface* {
        auto* known = dynamic_cast<Object*>(object);
        return known ? new Interface(known) : nullptr;
    };
}

}  // namespace

void TAccessibleFactory::Install() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    Add([](QObject* object) -> QAccessibleInterface* {
        return object == qApp ? new TAccessibleApplication : nullptr;
    });
    Add(MakerFor<TFormView, TAccessibleFormView>());
    Add(MakerFor<TButton, TAccessibleButton>());
    Add(MakerFor<TImage, TAccessibleImage>());
    Add(MakerFor<TEllipse, TAccessibleEllipse>());
    QAccessible::installFactory(&TAccessibleFactory::Create);
}

void TAccessibleFactory::Add(Maker maker) {
    Makers().push_back(std::move(maker));
}

void TAccessibleFactory::Renew(QObject* object) {
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(object))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

QAccessibleInterface* TAccessibleFactory::Create(const QString&, QObject* object) {
    // Qt asks for each class of the object's ancestry in turn, most derived
    // first; ours answer at the first question, whatever the class name.
    QAccessibleInterface* made = nullptr;
    Application->Guard([&] {
        const std::vector<Maker>& makers = Makers();
        for (auto maker = makers.rbegin(); maker != makers.rend() && !made; ++maker)
            made = (*maker)(object);
        if (made) return;
        if (auto* control = dynamic_cast<TControl*>(object))
            made = new TAccessibleControl(control, QAccessible::Pane);
    });
    return made;
}
