// SHA-256 as FIPS 180-4 gives it, and base64.
#include "batch/sha256.h"

namespace batch {
namespace {

constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

std::uint32_t rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void compress(std::uint32_t* h, const std::uint8_t* block) {
  std::uint32_t w[64];
  for (int t = 0; t < 16; ++t)
    w[t] = std::uint32_t{block[4 * t]} << 24 | std::uint32_t{block[4 * t + 1]} << 16 |
           std::uint32_t{block[4 * t + 2]} << 8 | block[4 * t + 3];
  for (int t = 16; t < 64; ++t) {
    const std::uint32_t s0 = rotr(w[t - 15], 7) ^ rotr(w[t - 15], 18) ^ (w[t - 15] >> 3);
    const std::uint32_t s1 = rotr(w[t - 2], 17) ^ rotr(w[t - 2], 19) ^ (w[t - 2] >> 10);
    w[t] = w[t - 16] + s0 + w[t - 7] + s1;
  }
  std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], k = h[7];
  for (int t = 0; t < 64; ++t) {
    const std::uint32_t t1 =
        k + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[t] + w[t];
    const std::uint32_t t2 =
        (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    k = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  h[0] += a;
  h[1] += b;
  h[2] += c;
  h[3] += d;
  h[4] += e;
  h[5] += f;
  h[6] += g;
  h[7] += k;
}

}  // namespace

std::array<std::uint8_t, 32> sha256(std::string_view bytes) {
  std::uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                        0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  const std::size_t whole = bytes.size() / 64 * 64;
  for (std::size_t at = 0; at < whole; at += 64)
    compress(h, reinterpret_cast<const std::uint8_t*>(bytes.data() + at));
  // The tail, a 1 bit, zeros, and the length in bits.
  std::uint8_t last[128] = {};
  const std::size_t rest = bytes.size() % 64;
  for (std::size_t k = 0; k < rest; ++k) last[k] = static_cast<std::uint8_t>(bytes[whole + k]);
  last[rest] = 0x80;
  const std::size_t blocks = rest + 9 > 64 ? 2 : 1;
  const std::uint64_t bits = std::uint64_t{bytes.size()} * 8;
  for (int k = 0; k < 8; ++k)
    last[blocks * 64 - 1 - k] = static_cast<std::uint8_t>(bits >> (8 * k));
  for (std::size_t b = 0; b < blocks; ++b) compress(h, last + 64 * b);
  std::array<std::uint8_t, 32> digest{};
  for (int k = 0; k < 32; ++k)
    digest[k] = static_cast<std::uint8_t>(h[k / 4] >> (24 - 8 * (k % 4)));
  return digest;
}

std::string csp_hash(std::string_view bytes) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const std::array<std::uint8_t, 32> d = sha256(bytes);
  std::string out = "sha256-";
  for (std::size_t k = 0; k < d.size(); k += 3) {
    const std::uint32_t n = std::uint32_t{d[k]} << 16 |
                            (k + 1 < d.size() ? std::uint32_t{d[k + 1]} << 8 : 0) |
                            (k + 2 < d.size() ? d[k + 2] : 0);
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += k + 1 < d.size() ? kAlphabet[(n >> 6) & 63] : '=';
    out += k + 2 < d.size() ? kAlphabet[n & 63] : '=';
  }
  return out;
}

}  // namespace batch
