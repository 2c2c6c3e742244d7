// Where the chooser comes in the start-up: before the main dialog, on Tolvik's adapter library
// only, and only when no adapter is named yet.
#pragma once

#include "chooser/AdapterChoice.h"

namespace chooser {

// Loads the bridge library the main dialog would bind, and says whether it is Tolvik's adapter
// library with no adapter named (--adapter, TOLVIK_CAN_ADAPTER). A library that cannot be loaded
// is left to the main dialog, which reports it as it always has.
bool WantsAdapterChoice();

// Hands the choice to the adapter library, which reads TOLVIK_CAN_ADAPTER at each enumeration.
void HandOver(const Choice& choice);

}  // namespace chooser
