// The process-wide single instances of the support services. Each holder
// creates its object on first use (Instance()) and destroys it at program
// end (std::atexit, Loki's default lifetime). Using a holder after its
// object was destroyed (from a later atexit handler or a static object's
// destructor) throws std::logic_error("Dead Reference Detected").
//
// Higher layers declare their own holders the same way, e.g.
//   using SingleDbfFile = Loki::SingletonHolder<WDbfFile>;
// Only the user-interface thread uses them (single-threaded policy).
#pragma once

#include <loki/Singleton.h>

#include "support/log.h"
#include "support/wini_file.h"
#include "support/wstring.h"

using SingleLog = Loki::SingletonHolder<nsLog::TLog>;
using SingleIniFile = Loki::SingletonHolder<WIniFile>;
using SingleString = Loki::SingletonHolder<WString>;
