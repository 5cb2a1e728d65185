#pragma once
// Ricordex.exe started as a user would start it, from a folder of its own,
// and watched from outside through its windows.

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace ricordex::e2e {

// The program built beside the tests, named by the RICORDEX_EXE variable
// (a Unix path, which Wine shows on drive Z:).
std::filesystem::path BuiltProgram();

class ProgramRun {
public:
    // Copies the program into the folder and starts it (with `arguments`,
    // as Windows would give them); returns once its start is finished, or
    // waits for a box the start opened.
    explicit ProgramRun(const std::filesystem::path& folder, const std::wstring& arguments = {});
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    HWND MainWindow() const;  // TFMain, visible or not
    HWND TrayWindow() const;  // the tray icon's message window
    // Posts what the shell posts for an event over the icon (a mouse
    // message, say), in the version-4 form the program asks for.
    void NotifyTray(UINT event) const;
    // A top-level window of the program by its class, visible or not.
    HWND Window(const wchar_t* className) const;
    // What the user types into, and the window in front, in the program.
    HWND Focus() const;
    HWND ActiveWindow() const;
    // A control of a window by its text (a picture button's text is its name).
    static HWND Control(HWND parent, const wchar_t* text);
    static std::wstring Text(HWND window);
    // A list view's cell, asked across the process boundary (the item lives
    // in the program's memory): its text, and the row's icon.
    struct ListItem {
        std::wstring text;
        int image = -1;
    };
    static ListItem Item(HWND list, int row, int column = 0);
    // A message box of the program, found by its title, or null.
    HWND WaitForMessageBox(const wchar_t* title, std::chrono::milliseconds timeout) const;
    static std::wstring MessageBoxText(HWND box);
    // How many message boxes with that title the program has open.
    int CountMessageBoxes(const wchar_t* title) const;
    // Presses a button of a message box and waits until the box is gone.
    static bool Press(HWND box, int button);

    // Asks the main window to close and waits for the process to end.
    bool CloseAndWait(std::chrono::milliseconds timeout);
    // Ends the process at once, as a crash or a power cut would: nothing
    // of the program runs after.
    void Kill();
    bool Running() const;
    // Whether the program has loaded a library ("comctl32.dll", say), and
    // the file it was loaded from (empty when it was not).
    bool HasLoaded(const wchar_t* library) const;
    std::filesystem::path LoadedFrom(const wchar_t* library) const;
    // The files of every module the program has loaded, itself first.
    std::vector<std::filesystem::path> Modules() const;
    // The memory the program holds for itself alone (not what it shares
    // with other processes, such as the mapped files of its libraries).
    std::size_t PrivateBytes() const;

private:
    void WaitUntilStarted() const;
    bool StartFinished() const;
    bool BoxOpen() const;

    PROCESS_INFORMATION process_{};
    std::filesystem::path marks_;
};

}  // namespace ricordex::e2e
