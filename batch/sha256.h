// SHA-256, for the hashes a content security policy names its inline
// script and style by.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace batch {

std::array<std::uint8_t, 32> sha256(std::string_view bytes);

/// "sha256-<base64 of the digest>", as a policy's source list writes it.
std::string csp_hash(std::string_view bytes);

}  // namespace batch
