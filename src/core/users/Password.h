#pragma once
// The stored form of a password. Existing libraries hold their passwords in
// this form, so it must stay exactly as it is; it is never reversed.
#include <cstddef>
#include <string>

// The longest input the scramble takes: its position counter is 16-bit, and
// a longer input is an overflow error.
inline constexpr std::size_t kScrambleMaxLength = 32767;

std::string ScramblePassword(std::string sPassword);

// The characters of sPassword as the scramble counts them.
std::size_t PasswordLength(const std::string& sPassword);
