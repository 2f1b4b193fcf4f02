// The process-wide single instances of the table file services: created on
// first use (Instance()), destroyed at program end by Loki's default
// lifetime; use after destruction throws std::logic_error("Dead Reference
// Detected"). Only the user-interface thread uses them.
#pragma once

#include <loki/Singleton.h>

#include "dbf/wdbffile.h"
#include "dbf/wsql.h"

using SingleDbfFile = Loki::SingletonHolder<WDbfFile>;
using SingleSQL = Loki::SingletonHolder<WSQL>;
