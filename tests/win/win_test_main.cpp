// The Windows tests run in one process with one application object, whose
// error reports the tests read instead of boxes.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "win/application.h"

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    ricordex::win::Application::Instance().Initialize(L"Ricordex");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
