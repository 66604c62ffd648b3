#pragma once

#include <variant>

#include "Types.h"

// A handler method of a window, bound to its instance, as the description
// loader finds it by name.
using THandler = std::variant<TNotifyEvent, TMouseEvent, TDidFinishTakingEvent, TDropFilesEvent>;
