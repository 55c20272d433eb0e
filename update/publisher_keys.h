// The publishers' keys this program was built with. Without any, it installs
// unsigned updates as it always has; with one or more, only updates whose digest
// file one of them signed.
#pragma once

#include <span>

#include "platform/signature.h"

struct PublisherKey {
    const char* name;        // the PEM file's name, for the log
    const char* fingerprint; // SHA-256 of the key's DER form, in hex
    EcPublicPoint point;
};

std::span<const PublisherKey> builtInPublisherKeys();

// The keys the update checks against: the built-in ones, unless a test has put its
// own in their place (tests only; an empty span gives the built-in ones back).
std::span<const PublisherKey> publisherKeys();
void usePublisherKeysForTest(std::span<const PublisherKey> keys);
