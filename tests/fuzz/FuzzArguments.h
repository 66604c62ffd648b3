#pragma once

#include <string>
#include <vector>

// libFuzzer reads its flags after a target's initialisation, so a target can
// supply defaults that follow from the code under test (its memory bound),
// and they stay right when that code changes. Flags given on the command line
// come later and win.
namespace FuzzArguments {

void PrependDefaults(int* argc, char*** argv, const std::vector<std::string>& defaults);

// Puts Qt on its offscreen platform unless the caller chose one.
void UseOffscreenPlatform();

// Drops Qt's warnings: the readers complain about nearly every input, and
// writing that out would take more of the run than the decoding.
void SilenceQt();

}  // namespace FuzzArguments
