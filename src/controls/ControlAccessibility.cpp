#include "ControlAccessibility.h"

#include <QLineEdit>

#include "TAccessibleArcDial.h"
#include "TAccessibleSpinBox.h"
#include "TAccessibleSpinBoxEdit.h"
#include "TAccessibleSwitch.h"
#include "TArcDial.h"
#include "TSpinBox.h"
#include "TSwitch.h"
#include "framework/TAccessibleFactory.h"

void RegisterControlAccessibility() {
    TAccessibleFactory::Add([](QObject* object) -> QAccessibleInterface* {
        if (auto* dial = dynamic_cast<TArcDial*>(object)) return new TAccessibleArcDial(dial);
        if (auto* sw = dynamic_cast<TSwitch*>(object)) return new TAccessibleSwitch(sw);
        if (auto* box = dynamic_cast<TSpinBox*>(object)) return new TAccessibleSpinBox(box);
        if (TAccessibleSpinBoxEdit::HostOf(object))
            return new TAccessibleSpinBoxEdit(static_cast<QLineEdit*>(object));
        return nullptr;
    });
}
