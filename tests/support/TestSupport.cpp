// Support code shared by the core and gui suites lives in headers; this unit keeps the
// library non-empty.
#include "FakeMessageBox.h"
