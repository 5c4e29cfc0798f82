#pragma once
// Windows-1252, the single-byte code page of stored passwords: UTF-8 text to
// codes 0..255 and back. A character outside the page becomes "?" (63).
#include <string>
#include <vector>

std::vector<unsigned char> ToCp1252(const std::string& utf8);
std::string FromCp1252(const std::vector<unsigned char>& codes);
