#pragma once
// COM, for the few things that need it: the folder browser, the file
// dialog, the shell's open and a screen reader's questions. The window's
// thread enters its single-threaded apartment the first time one of them
// is used, not at every start (a start to the tray never needs it, and
// entering it loads a good part of the system's libraries).

namespace ricordex::win {

// On the window's thread only; once entered, later calls do nothing. A
// failure is not reported: the caller's own call fails and says so.
void EnterComApartment();

// The program's run: the apartment, if it was entered, is left at its end.
class ComApartmentScope {
public:
    ComApartmentScope() = default;
    ~ComApartmentScope();
    ComApartmentScope(const ComApartmentScope&) = delete;
    ComApartmentScope& operator=(const ComApartmentScope&) = delete;
};

}  // namespace ricordex::win
