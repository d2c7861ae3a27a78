// The editor sessions of tests/data/sessions.txt: start-up, settings, the catalogue, the choice
// slot shown and written, and execution, on a folder, over USB and on the card.
#include "support/session_script.h"

TEST(SessionScripts, EveryStepOfEveryScript) { testing_support::playSessions("sessions.txt"); }
