#include "ControlAccessibility.h"

#include <QLineEdit>

#include "controls/dial/TAccessibleArcDial.h"
#include "controls/spinbox/TAccessibleSpinBox.h"
#include "controls/spinbox/TAccessibleSpinBoxEdit.h"
#include "controls/switch/TAccessibleSwitch.h"
#include "controls/dial/TArcDial.h"
#include "controls/spinbox/TSpinBox.h"
#include "controls/switch/TSwitch.h"
#include "framework/accessibility/TAccessibleFactory.h"

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
