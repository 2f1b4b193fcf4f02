// The reader of SM_R\INSTALL.APP, the list of bases an installer asks the
// program to register.
//
// Format: 8-bit text taken byte for byte (no code page conversion; the
// installer writes the OEM form the table stores). Lines end at LF. The
// file is a sequence of four-line records: a line that is skipped, the
// base name, the base type code, the base directory. Each text is trimmed
// of bytes 0..32 at both ends (so a CR before the LF goes) and ends at its
// first NUL byte. A line may hold at most 254 bytes before its LF; a longer
// line ends the reading. The record in progress is dropped when the file
// ends before one of its lines or a line is too long; a fourth line that
// ends the file without LF still completes its record.
#pragma once

#include <string>
#include <string_view>

#include "install/bases.h"

// Reads the file at path (Windows form, resolved through platform) and
// appends its complete records to bases. False when the file cannot be
// opened or read (the caller shows the message); bases is then unchanged.
bool ReadInstallApp(const std::string& path, nsBase::VBases& bases);

// The parsing step on the file's bytes; appends the complete records.
void ParseInstallApp(std::string_view bytes, nsBase::VBases& bases);
