// The slave's one session record, alive for the whole process.
#include "hopwire/session_state.h"

SessionState session;
