#pragma once

class TClassRegistry;

// Makes the arc dial, the switch and the spin box known to window descriptions.
void RegisterControlClasses(TClassRegistry& registry);
