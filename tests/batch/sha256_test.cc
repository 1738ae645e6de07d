// SHA-256 against the published test vectors, and the form a content
// security policy takes a hash in.
#include "batch/sha256.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string hex(const std::array<std::uint8_t, 32>& d) {
  std::string out;
  char buf[3];
  for (std::uint8_t b : d) {
    std::snprintf(buf, sizeof buf, "%02x", b);
    out += buf;
  }
  return out;
}

TEST(Sha256, KnownDigestsAcrossBlockBoundaries) {
  EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
            hex(batch::sha256("")));
  EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
            hex(batch::sha256("abc")));
  // 56 bytes: the length no longer fits the first padding block.
  EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
            hex(batch::sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")));
  EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0",
            hex(batch::sha256(std::string(1000000, 'a'))));
}

TEST(Sha256, PolicyHashIsBase64OfTheDigest) {
  EXPECT_EQ("sha256-47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=", batch::csp_hash(""));
  EXPECT_EQ("sha256-ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=", batch::csp_hash("abc"));
}

}  // namespace
