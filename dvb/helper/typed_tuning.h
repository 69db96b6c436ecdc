// azimora-dvb's --tune ENTRY: a transponder in the program's typed-entry
// form ("11597V27500", "12245H27500AB"), read by the program's own rules
// and planned into the six values the program would send for it.
// Platform-neutral.
#pragma once
#include <string>

#include "cardbase/card_tuning.h"

// Letters may be small; `typed` gets the entry as the keypad shows it.
// False with `error` set to a message for the user, which names `option`.
bool tuningFromEntry(const std::string& entry, CardTuning* tuning, std::string* typed, std::string* error,
                     const char* option = "--tune");
