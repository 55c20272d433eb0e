// SHA-256 from the system's own cryptography (libcrypto, or BCrypt on Windows).
#pragma once

#include <array>
#include <cstddef>

using Sha256Digest = std::array<unsigned char, 32>;

class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void add(const void* data, std::size_t size);
    // False when the system's hash failed at any point; the object is spent after.
    bool finish(Sha256Digest& digest);
    // Takes other's state, so a hash can go back to a point it passed.
    void copyFrom(const Sha256& other);

  private:
    struct State;
    State* state;
    bool failed;
};
