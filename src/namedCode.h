// One row of a table of fixed codes: the value, its name in the code and a
// line saying what it means. Each closed set of the compiler (token types,
// output modes, message types, converter modes) is one such table, and one
// test walks each.
#pragma once

struct NamedCode {
  int code;
  const char* name;
  const char* meaning;
};

// The row name of `code` in a table of `size` rows; null when no row has it.
inline const char* nameOfCode(const NamedCode* table, int size, int code) {
  for (int i = 0; i < size; ++i)
    if (table[i].code == code) return table[i].name;
  return nullptr;
}
