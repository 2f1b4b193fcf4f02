// WString: conversion between the system's text (UTF-8, the "ANSI form")
// and the installation table's OEM form (code page 866 bytes), and padding
// to a field's width. The code page tables come from iconv at first use.
// A character that CP866 lacks becomes "?", and so does every byte of the
// input that is not part of valid UTF-8. Nothing is cut, whatever the
// length. Results are new strings; an instance keeps no state between
// calls. One process-wide instance (SingleString); local ones are fine.
#pragma once

#include <string>

class WString {
 public:
  // UTF-8 -> CP866.
  std::string ToOem(const std::string& utf8);
  // CP866 -> UTF-8.
  std::string ToAnsi(const std::string& cp866);
  // The text followed by blanks up to width bytes (the OEM form has one
  // byte per character); a text of width bytes or more is returned as it
  // is, never cut.
  std::string PadRight(const std::string& text, int width);
};
