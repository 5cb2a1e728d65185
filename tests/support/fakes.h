#pragma once
// In-memory stand-ins for the platform, for the portable tests.

#include <functional>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "app/platform.h"
#include "core/errors.h"

namespace ricordex::testing {

// A registry value: a string, an expandable string, an integer, or binary
// data.
struct ExpandString {
    std::wstring text;
};
struct Binary {
    std::vector<std::uint8_t> bytes;
};
using RegistryValue = std::variant<std::wstring, ExpandString, std::uint32_t, Binary>;

class FakeRegistry final : public Registry {
public:
    std::map<std::wstring, std::map<std::string, RegistryValue>> keys;
    bool openFails = false;
    bool writesFail = false;

    std::unique_ptr<RegistryKey> OpenOrCreate(const std::wstring& keyPath) override {
        if (openFails) return std::make_unique<Key>(nullptr, *this);
        return std::make_unique<Key>(&keys[keyPath], *this);
    }
    std::unique_ptr<RegistryKey> OpenExisting(const std::wstring& keyPath) override {
        auto found = keys.find(keyPath);
        return std::make_unique<Key>(openFails || found == keys.end() ? nullptr : &found->second, *this);
    }

private:
    class Key final : public RegistryKey {
    public:
        Key(std::map<std::string, RegistryValue>* values, FakeRegistry& owner) : values_(values), owner_(owner) {}
        bool ValueExists(const std::string& name) override { return values_ != nullptr && values_->count(name) > 0; }
        std::wstring ReadString(const std::string& name) override {
            const RegistryValue& v = Get(name);
            if (auto* s = std::get_if<std::wstring>(&v)) return *s;
            if (auto* e = std::get_if<ExpandString>(&v)) return e->text;
            throw RegistryError(InvalidRegistryTypeText(name));
        }
        std::uint32_t ReadInteger(const std::string& name) override {
            const RegistryValue& v = Get(name);
            if (auto* n = std::get_if<std::uint32_t>(&v)) return *n;
            throw RegistryError(InvalidRegistryTypeText(name));
        }
        std::vector<std::uint8_t> ReadBinary(const std::string& name) override {
            if (auto* b = std::get_if<Binary>(&Get(name))) return b->bytes;
            throw RegistryError(InvalidRegistryTypeText(name));
        }
        void WriteString(const std::string& name, const std::wstring& value) override { Set(name, value); }
        void WriteInteger(const std::string& name, std::uint32_t value) override { Set(name, value); }
        void DeleteValue(const std::string& name) override {
            if (values_ != nullptr) values_->erase(name);
        }

    private:
        const RegistryValue& Get(const std::string& name) {
            if (values_ == nullptr || values_->count(name) == 0) throw RegistryError(RegistryReadFailedText(name));
            return values_->at(name);
        }
        void Set(const std::string& name, RegistryValue value) {
            if (values_ == nullptr || owner_.writesFail) throw RegistryError(RegistryWriteFailedText(name));
            (*values_)[name] = std::move(value);
        }
        std::map<std::string, RegistryValue>* values_;
        FakeRegistry& owner_;
    };
};

class FakeClock final : public Clock {
public:
    DateTime now = 0;
    DateTime Now() override { return now; }
};

class FakeQuestions final : public Questions {
public:
    struct Asked {
        std::string text, caption;
        unsigned flags;
    };
    std::vector<Asked> asked;
    int answer = 6;  // Yes
    std::function<void()> whileOpen;  // what happens while the box is shown

    int Ask(std::string_view text, std::string_view caption, unsigned flags) override {
        asked.push_back({std::string(text), std::string(caption), flags});
        if (whileOpen) whileOpen();
        return answer;
    }
};

}  // namespace ricordex::testing
