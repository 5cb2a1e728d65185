// The start-up benchmark's second baseline: the minimal program plus the
// one thing Ricordex's window cannot do without, a virtual report list of
// six columns showing as many rows as the command line says. It shows what
// the common controls alone cost under the same Wine.

#include <windows.h>
#include <commctrl.h>

#include <cwchar>

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY: {
        auto& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
        if (reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOW && (item.mask & LVIF_TEXT) != 0) {
            std::swprintf(item.pszText, static_cast<std::size_t>(item.cchTextMax), L"Riga %d", item.iItem);
        }
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSW wc{};
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"MinimalWindow";
    ::RegisterClassW(&wc);
    HWND window = ::CreateWindowW(L"MinimalWindow", L"Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 800,
                                  400, nullptr, nullptr, instance, nullptr);
    HWND list = ::CreateWindowExW(WS_EX_STATICEDGE, WC_LISTVIEWW, L"",
                                  WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL, 92, 27, 703, 344,
                                  window, nullptr, instance, nullptr);
    for (int i = 0; i < 6; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 110;
        column.pszText = const_cast<wchar_t*>(L"Colonna");
        ListView_InsertColumn(list, i, &column);
    }
    ListView_SetItemCountEx(list, std::wcstol(commandLine, nullptr, 10), LVSICF_NOSCROLL);
    ::ShowWindow(window, show);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    return 0;
}
