#include "ControlAccessibility.h"

#include <QLineEdit>

#include "controls/dial/TAccessibleArcDial.h"
#include "controls/dial/TArcDial.h"
#include "controls/spinbox/TAccessibleSpinBox.h"
#include "controls/spinbox/TAccessibleSpinBoxEdit.h"
#include "controls/spinbox/TSpinBox.h"
#include "controls/switch/TAccessibleSwitch.h"
#include "controls/switch/TSwitch.h"
#include "framework/accessibility/TAccessibleFactory.h"

void RegisterControlAccessibility() {
    TAccessibleFactory::Add<TArcDial, TAccessibleArcDial>();
    TAccessibleFactory::Add<TSwitch, TAccessibleSwitch>();
    TAccessibleFactory::Add<TSpinBox, TAccessibleSpinBox>();
    // Only the line edit that is a spin box's text; any other keeps Qt's.
    TAccessibleFactory::Add(QString::fromLatin1(QLineEdit::staticMetaObject.className()),
                            [](QObject* object) -> QAccessibleInterface* {
                                if (!TAccessibleSpinBoxEdit::HostOf(object)) return nullptr;
                                return new TAccessibleSpinBoxEdit(static_cast<QLineEdit*>(object));
                            });
}
