#include "core/users/Password.h"

#include "core/base/AppError.h"
#include "core/common/Cp1252.h"

namespace {
constexpr const char* kKey = "R7t4k9w";
constexpr int kEscape = '!';
constexpr int kFold = 127;
constexpr int kLowest = 40;
} // namespace

std::string ScramblePassword(std::string sPassword)
{
    if (sPassword.empty()) return {};
    const std::vector<unsigned char> input = ToCp1252(sPassword);
    if (input.size() > kScrambleMaxLength) throw AppError(6, "Overflow");
    std::string keyStream;
    do {
        keyStream += kKey;
    } while (keyStream.size() < input.size());

    std::vector<unsigned char> output;
    output.reserve(input.size() * 2);
    for (std::size_t i = 0; i < input.size(); ++i) {
        const int c = input[i];
        const int k = static_cast<unsigned char>(keyStream[i]);
        int x;
        if (i % 2 == 0) { // odd position counted from 1
            x = c - k;
            if (x < 0) x += kFold;
        } else {
            x = c + k;
            if (x > kFold) x -= kFold;
        }
        if (x < kLowest) {
            output.push_back(kEscape);
            output.push_back(static_cast<unsigned char>(x + kLowest));
        } else {
            output.push_back(static_cast<unsigned char>(x));
        }
    }
    return FromCp1252(output);
}

std::size_t PasswordLength(const std::string& sPassword) { return ToCp1252(sPassword).size(); }
