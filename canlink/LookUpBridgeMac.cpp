#include "canlink/LookUpBridgeMac.h"

bool LookUpBridgeMac(MainDialogPort&, uint8_t*) { return false; }
