#include "update/publisher_keys.h"

namespace {
std::span<const PublisherKey> testKeys;
}

std::span<const PublisherKey> publisherKeys() {
    return testKeys.empty() ? builtInPublisherKeys() : testKeys;
}

void usePublisherKeysForTest(std::span<const PublisherKey> keys) {
    testKeys = keys;
}
