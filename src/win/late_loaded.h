#pragma once

// System functions the program needs only now and then: the file dialog and
// the alarm sound. Their libraries are loaded the first time one is called;
// importing them would load them, and everything they load, at every start.

#include <windows.h>
#include <commdlg.h>

#include <string>

#include "core/errors.h"
#include "win/library_search.h"

namespace ricordex::win {

// A function of a system library, looked up once; the library stays loaded
// for the rest of the run. A library or function that cannot be found is
// not silent: Get raises an Error naming it, each time it is asked for.
template <typename Function>
class LateFunction {
public:
    LateFunction(const wchar_t* library, const char* name) {
        HMODULE module = LoadSystemLibrary(library);
        if (module == nullptr) {
            const DWORD error = ::GetLastError();
            failure_ = LibraryLoadFailedText(AsciiName(library), error);
            return;
        }
        // Through the generic function type: GetProcAddress knows no signatures.
        function_ = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
        if (function_ == nullptr) {
            const DWORD error = ::GetLastError();
            failure_ = LibraryLoadFailedText(name, error);
        }
    }

    Function Get() const {
        if (function_ == nullptr) throw Error(failure_);
        return function_;
    }

private:
    static std::string AsciiName(const wchar_t* library) {
        std::string name;
        for (; *library != L'\0'; ++library) name += static_cast<char>(*library);
        return name;
    }

    Function function_ = nullptr;
    std::string failure_;
};

// GetOpenFileNameW: the file chosen, or empty when the user cancels. The
// file name's buffer is made here, as long as the longest path; a dialog
// that fails raises an Error.
std::wstring ShowOpenFileDialog(OPENFILENAMEW dialog);

// PlaySoundW(sound, nullptr, flags); false when the sound cannot be played.
bool PlaySoundNamed(const wchar_t* sound, DWORD flags);

}  // namespace ricordex::win
