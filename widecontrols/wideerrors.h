// The errors of the wide-text layer: an internal error (a converter ran out
// of the room it was promised) and a general one (malformed input).
#pragma once

#include "classlib/exceptions.h"

class EWideInternalError : public Exception { using Exception::Exception; };
class EWideGeneralError : public Exception { using Exception::Exception; };
