// Filter texts of the form  COL = 'literal' [and COL = 'literal' ...]:
// column names and "and" without regard to case, literals in apostrophes
// with an apostrophe inside written twice ('O''Neil'). A row passes when
// every column's stored text equals its literal after trailing blanks are
// removed from both.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/dbf_format.h"

namespace engine::filter {

struct Term {
  std::string column;
  std::string literal;
};

// Syntax only (no table needed); kInvalidArgument with the position.
platform::StatusOr<std::vector<Term>> Parse(std::string_view text);

struct Bound {
  size_t field;
  std::string literal;  // trailing blanks removed
};
// Parses and resolves the columns against a layout.
platform::StatusOr<std::vector<Bound>> Compile(std::string_view text, const dbf::Layout& layout);

bool Matches(const std::vector<Bound>& terms, const dbf::Layout& layout, std::string_view record);

}  // namespace engine::filter
