#pragma once

// The benchmark's child processes: the program's start-up, or an empty
// window of the same toolkit, each reporting when its first paint ended and,
// on request, its resident memory once the window has settled.
//
//   --child chart|empty [--memory]
//
// Prints "first-frame-ns N" (the system's monotonic clock) and, with
// --memory, "rss-kb N" and "hwm-kb N".
namespace WindowChild {

int Run(int argc, char** argv);

}  // namespace WindowChild
