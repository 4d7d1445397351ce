#include "platform/MachineIdentity.h"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX 1
#include <windows.h>
// bcrypt.h needs the types of windows.h.
#include <bcrypt.h>

#include <array>
#include <cstdio>

namespace quorvane {

namespace {

// This program's key: the installation's MachineGuid is hashed with it (HMAC-SHA256), so that
// the guid itself can never be read back from the identity.
constexpr std::array<unsigned char, 16> kApplicationKey = {
    0x6f, 0x1a, 0x94, 0x3c, 0x2d, 0x87, 0x4e, 0x5b, 0xa0, 0x13, 0xc9, 0x7e, 0x52, 0xd4, 0x08, 0xf1};

// The MachineGuid that Windows sets at installation, as its text; empty when it cannot be read.
std::string MachineGuid() {
  char text[64] = {};
  DWORD bytes = sizeof text;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Cryptography", "MachineGuid",
                   RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, text, &bytes) != ERROR_SUCCESS) {
    return {};
  }
  return text;
}

}  // namespace

std::string ThisMachineIdentity() {
  const std::string guid = MachineGuid();
  if (guid.empty()) return {};
  std::array<unsigned char, 32> digest{};
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr,
                                                  BCRYPT_ALG_HANDLE_HMAC_FLAG))) {
    return {};
  }
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool done = BCRYPT_SUCCESS(BCryptCreateHash(algorithm, &hash, nullptr, 0,
                                              const_cast<unsigned char*>(kApplicationKey.data()),
                                              static_cast<ULONG>(kApplicationKey.size()), 0));
  done = done && BCRYPT_SUCCESS(BCryptHashData(
                     hash, reinterpret_cast<unsigned char*>(const_cast<char*>(guid.data())),
                     static_cast<ULONG>(guid.size()), 0));
  done = done && BCRYPT_SUCCESS(
                     BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
  if (hash != nullptr) BCryptDestroyHash(hash);
  BCryptCloseAlgorithmProvider(algorithm, 0);
  if (!done) return {};
  std::string identity;
  char pair[3];
  for (std::size_t i = 0; i < 16; ++i) {  // 128 bits, as on the other systems
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    identity += pair;
  }
  return identity;
}

}  // namespace quorvane
