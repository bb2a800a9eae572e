#pragma once

#include <stdexcept>
#include <string>

namespace korvid {

// Base of every exception the program raises; the top-level handler shows its text.
class EKorvidError : public std::runtime_error {
public:
    explicit EKorvidError(const std::string& Message) : std::runtime_error(Message) {}
};

} // namespace korvid
