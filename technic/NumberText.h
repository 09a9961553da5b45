#pragma once
#include <string>

// out = the value in decimal; always true.
bool intToString(const int& value, std::string& out);
// The value in decimal.
std::string toDecimalString(int value);
