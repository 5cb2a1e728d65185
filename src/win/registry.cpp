#include "win/registry.h"

#include <vector>

#include "core/errors.h"
#include "win/unique_handle.h"

namespace ricordex::win {
namespace {

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

class Key final : public RegistryKey {
public:
    explicit Key(HKEY key) : key_(key) {}

    bool ValueExists(const std::string& name) override {
        return key_ && ::RegQueryValueExW(key_.get(), Wide(name).c_str(), nullptr, nullptr, nullptr, nullptr) ==
                           ERROR_SUCCESS;
    }

    std::wstring ReadString(const std::string& name) override {
        DWORD type = 0, size = 0;
        Query(name, type, size);
        if (type != REG_SZ && type != REG_EXPAND_SZ) throw RegistryError(InvalidRegistryTypeText(name));
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        if (::RegQueryValueExW(key_.get(), Wide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                               &got) != ERROR_SUCCESS) {
            throw RegistryError(RegistryReadFailedText(name));
        }
        std::wstring text(buffer.data(), got / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        return text;
    }

    std::uint32_t ReadInteger(const std::string& name) override {
        DWORD type = 0, size = 0;
        Query(name, type, size);
        if (type != REG_DWORD || size != sizeof(DWORD)) throw RegistryError(InvalidRegistryTypeText(name));
        DWORD value = 0;
        if (::RegQueryValueExW(key_.get(), Wide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                               &size) != ERROR_SUCCESS) {
            throw RegistryError(RegistryReadFailedText(name));
        }
        return value;
    }

    std::vector<std::uint8_t> ReadBinary(const std::string& name) override {
        DWORD type = 0, size = 0;
        Query(name, type, size);
        if (type != REG_BINARY) throw RegistryError(InvalidRegistryTypeText(name));
        std::vector<std::uint8_t> data(size);
        if (::RegQueryValueExW(key_.get(), Wide(name).c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS) {
            throw RegistryError(RegistryReadFailedText(name));
        }
        data.resize(size);
        return data;
    }

    void WriteString(const std::string& name, const std::wstring& value) override {
        // The terminating zero counts in the data size.
        Set(name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    void WriteInteger(const std::string& name, std::uint32_t value) override {
        const DWORD data = value;
        Set(name, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
    }

    void DeleteValue(const std::string& name) override {
        if (key_) ::RegDeleteValueW(key_.get(), Wide(name).c_str());
    }

private:
    void Query(const std::string& name, DWORD& type, DWORD& size) {
        if (!key_ || ::RegQueryValueExW(key_.get(), Wide(name).c_str(), nullptr, &type, nullptr, &size) !=
                         ERROR_SUCCESS) {
            throw RegistryError(RegistryReadFailedText(name));
        }
    }

    void Set(const std::string& name, DWORD type, const BYTE* data, DWORD size) {
        if (!key_ || ::RegSetValueExW(key_.get(), Wide(name).c_str(), 0, type, data, size) != ERROR_SUCCESS) {
            throw RegistryError(RegistryWriteFailedText(name));
        }
    }

    UniqueKey key_;
};

}  // namespace

std::unique_ptr<RegistryKey> Win32Registry::OpenOrCreate(const std::wstring& keyPath) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                          nullptr, &key, nullptr) != ERROR_SUCCESS) {
        key = nullptr;
    }
    return std::make_unique<Key>(key);
}

std::unique_ptr<RegistryKey> Win32Registry::OpenExisting(const std::wstring& keyPath) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) key = nullptr;
    return std::make_unique<Key>(key);
}

}  // namespace ricordex::win
