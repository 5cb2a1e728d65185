#pragma once
// The current user's registry hive.

#include "app/platform.h"

namespace ricordex::win {

class Win32Registry final : public Registry {
public:
    std::unique_ptr<RegistryKey> OpenOrCreate(const std::wstring& keyPath) override;
    std::unique_ptr<RegistryKey> OpenExisting(const std::wstring& keyPath) override;
};

}  // namespace ricordex::win
