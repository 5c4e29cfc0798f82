#pragma once
// The stored form of a password. Existing libraries hold their passwords in
// this form, so it must stay exactly as it is; it is never reversed.
#include <string>

std::string ScramblePassword(std::string sPassword);
