// The editor sessions of tests/data/sessions.txt: start-up, settings, the catalogue, the choice
// slot shown and written, and execution over USB.
#include "support/session_script.h"

static const bool registered = testing_support::registerScripts("SessionScripts", "sessions.txt");
