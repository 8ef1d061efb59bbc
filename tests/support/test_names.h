#pragma once
#include <cctype>

#include <string>

namespace orvane2::testing {

// A readable case description as a gtest parameter name (letters, digits, '_').
inline std::string TestName(const char* description)
{
    std::string name;
    for (const char* c = description; *c; ++c) {
        const unsigned char u = static_cast<unsigned char>(*c);
        name += (u < 128 && std::isalnum(u)) ? *c : '_';
    }
    return name;
}

}  // namespace orvane2::testing
