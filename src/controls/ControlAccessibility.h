#pragma once

// Makes the dial, the switch and the spin box known to assistive technology.
void RegisterControlAccessibility();
