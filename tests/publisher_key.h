// A throwaway publisher key, made with openssl as a publisher makes one, that
// signs digest files the way the README tells publishers to.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/files.h"
#include "update/publisher_keys.h"

class TestPublisherKey {
  public:
    explicit TestPublisherKey(const std::string& name) {
        static int serial = 0;
        folder = std::filesystem::temp_directory_path() /
                 ("key-" + name + std::to_string(++serial) + "-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        privatePem = (folder / "private.pem").string();
        const std::string der = (folder / "public.der").string();
        EXPECT_EQ(shell("openssl ecparam -name prime256v1 -genkey -noout -out " + privatePem), 0);
        EXPECT_EQ(shell("openssl pkey -in " + privatePem + " -pubout -outform DER -out " + der), 0);
        // The DER form ends with the 65-byte uncompressed point.
        const std::string info = readFile(der);
        EXPECT_EQ(info.size(), 91u);
        if (info.size() == 91) {
            std::copy(info.end() - 65, info.end(), key.point.begin());
        }
        key.name = "test.pem";
        key.fingerprint = "test";
    }
    TestPublisherKey(const TestPublisherKey&) = delete;
    ~TestPublisherKey() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // openssl dgst -sha256 -sign over file, to signature.
    void sign(const std::filesystem::path& file, const std::filesystem::path& signature) const {
        EXPECT_EQ(shell("openssl dgst -sha256 -sign " + privatePem + " -out '" +
                        signature.string() + "' '" + file.string() + "'"),
                  0);
    }

    PublisherKey key{};

  private:
    static int shell(const std::string& command) { return std::system(command.c_str()); }

    std::filesystem::path folder;
    std::string privatePem;
};
