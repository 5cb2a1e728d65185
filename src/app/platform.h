#pragma once
// The few things the program's decisions need of the platform, passed in so
// that the decisions can be exercised anywhere.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/clock.h"

namespace ricordex {

class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    virtual bool ValueExists(const std::string& name) = 0;
    // A string or an expandable string, not expanded; any other type raises
    // "Invalid data type for '%s'".
    virtual std::wstring ReadString(const std::string& name) = 0;
    // A 32-bit integer only.
    virtual std::uint32_t ReadInteger(const std::string& name) = 0;
    // Binary data only.
    virtual std::vector<std::uint8_t> ReadBinary(const std::string& name) = 0;
    virtual void WriteString(const std::string& name, const std::wstring& value) = 0;
    virtual void WriteInteger(const std::string& name, std::uint32_t value) = 0;
    virtual void DeleteValue(const std::string& name) = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    // A key of the current user's hive, created when missing. When it can be
    // neither opened nor created, every value reads as missing and every
    // write fails.
    virtual std::unique_ptr<RegistryKey> OpenOrCreate(const std::wstring& keyPath) = 0;
    // Without creating it: a missing key reads as empty and refuses writes.
    virtual std::unique_ptr<RegistryKey> OpenExisting(const std::wstring& keyPath) = 0;
};

// Message box results and flags, as the platform numbers them.
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;
inline constexpr unsigned kYesNoQuestion = 36;

class Questions {
public:
    virtual ~Questions() = default;
    // Shows a question owned by the main window (texts in code page 1252,
    // Italian language) and returns the button chosen.
    virtual int Ask(std::string_view text, std::string_view caption, unsigned flags) = 0;
};

}  // namespace ricordex
