#pragma once

#include <stdexcept>
#include <string>

// A gzip stream that cannot be unpacked.
class EGunzip : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The content of a gzip stream of one member, its length and CRC-32 checked.
// Enough inflate for the tests: stored, fixed and dynamic blocks.
std::string Gunzip(const std::string& stream);
