#pragma once
// A save's swap on the Win32 file API (see core/archive_swap.h).

#include "core/archive_swap.h"

namespace ricordex::win {

class Win32SwapSteps final : public SwapSteps {
public:
    bool Exists(const std::filesystem::path& path) override;
    void CarryAttributes(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void Replace(const std::filesystem::path& target, const std::filesystem::path& replacement,
                 const std::filesystem::path& backup) override;
    void Move(const std::filesystem::path& from, const std::filesystem::path& to, bool replacing) override;
    void Remove(const std::filesystem::path& path) override;
};

}  // namespace ricordex::win
