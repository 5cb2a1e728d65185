#include "win/com_apartment.h"

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace ricordex::win {
namespace {

bool entered = false;

}  // namespace

void EnterComApartment() {
    if (entered) return;
    // S_FALSE too (already entered by someone else) asks for a matching leave.
    entered = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

ComApartmentScope::~ComApartmentScope() {
    if (std::exchange(entered, false)) ::CoUninitialize();
}

}  // namespace ricordex::win
