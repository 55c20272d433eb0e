// One name inside a folder: a single path component, never a path. Every call
// that works relative to a folder takes one, so nothing the program does through
// a folder it holds can reach out of it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Each backend's own, found by the include path: the character type of its
// wide or narrow calls, and its separator.
#include "native_text.h"

using NativeString = std::basic_string<NativeChar>;

// Not empty, not "." or "..", no separator of either system, no NUL.
constexpr bool isSingleComponent(std::string_view text) {
    if (text.empty() || text == "." || text == "..") {
        return false;
    }
    for (const char c : text) {
        if (c == '/' || c == '\\' || c == '\0') {
            return false;
        }
    }
    return true;
}

// The system's own form of text (UTF-16 on Windows), made once: nothing when the
// system has no form for it (malformed UTF-8, or a character no file name may
// hold there). Each backend's own.
std::optional<NativeString> nativeNameOf(std::string_view text);

class Name {
  public:
    // The longest literal: the program's own names are short.
    static constexpr std::size_t LiteralMax = 47;

    // A literal, checked by the compiler: ASCII only, so its native form is known
    // without the system; a bad one fails to compile.
    template <std::size_t N> consteval Name(const char (&text)[N]) : literal_(text, N - 1) {
        static_assert(N - 1 <= LiteralMax, "a literal name is at most LiteralMax bytes");
        if (!isSingleComponent(literal_) || literal_.find(':') != std::string_view::npos) {
            throw "a name is one path component";
        }
        for (std::size_t i = 0; i < N - 1; ++i) {
            if (static_cast<unsigned char>(text[i]) >= 0x80) {
                throw "a literal name is ASCII";
            }
            literalNative_[i] = static_cast<NativeChar>(text[i]);
        }
    }
    // Nothing when text is no single path component, or the system has no form
    // for it.
    static std::optional<Name> of(std::string_view text) {
        if (!isSingleComponent(text)) {
            return std::nullopt;
        }
        std::optional<NativeString> native = nativeNameOf(text);
        if (!native) {
            return std::nullopt;
        }
        Name name;
        name.owned_ = new Owned{std::string(text), std::move(*native)};
        return name;
    }

    Name(const Name& other) : literal_(other.literal_) {
        copyLiteral(other);
        owned_ = other.owned_ != nullptr ? new Owned(*other.owned_) : nullptr;
    }
    Name(Name&& other) noexcept : literal_(other.literal_), owned_(other.owned_) {
        copyLiteral(other);
        other.owned_ = nullptr;
    }
    Name& operator=(Name other) noexcept {
        literal_ = other.literal_;
        copyLiteral(other);
        std::swap(owned_, other.owned_);
        return *this;
    }
    constexpr ~Name() { delete owned_; }

    // As the program and its log know it: UTF-8 (on Linux the system's bytes).
    constexpr std::string_view text() const { return owned_ != nullptr ? owned_->text : literal_; }
    // The same, ended by a NUL.
    constexpr const char* c_str() const {
        return owned_ != nullptr ? owned_->text.c_str() : literal_.data();
    }
    std::string str() const { return std::string(text()); }
    // As the system's calls take it, ended by a NUL.
    constexpr const NativeChar* native() const {
        return owned_ != nullptr ? owned_->native.c_str() : literalNative_;
    }
    constexpr std::size_t nativeSize() const {
        return owned_ != nullptr ? owned_->native.size() : literal_.size();
    }

    bool operator==(const Name& other) const { return text() == other.text(); }

  private:
    struct Owned {
        std::string text;
        NativeString native;
    };

    Name() = default;
    void copyLiteral(const Name& other) {
        for (std::size_t i = 0; i <= LiteralMax; ++i) {
            literalNative_[i] = other.literalNative_[i];
        }
    }

    std::string_view literal_;
    NativeChar literalNative_[LiteralMax + 1] = {};
    Owned* owned_ = nullptr;
};
