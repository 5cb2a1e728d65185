#pragma once
// The current user's registry hive.

#include "app/platform.h"

namespace ricordex::win {

class Win32Registry final : public Registry {
public:
    std::unique_ptr<RegistryKey> OpenOrCreate(const std::wstring& keyPath) override;
    // Opens without creating; a missing key reads as empty and refuses writes.
    std::unique_ptr<RegistryKey> OpenExisting(const std::wstring& keyPath);
};

}  // namespace ricordex::win
