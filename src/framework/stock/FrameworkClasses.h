#pragma once

class TClassRegistry;

// Makes the framework's own component classes known to window descriptions.
void RegisterFrameworkClasses(TClassRegistry& registry);
