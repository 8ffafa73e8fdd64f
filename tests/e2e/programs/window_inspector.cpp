// Prints the utility's main window state as one UTF-8 JSON object on stdout, for the end-to-end
// tests.
//   window_inspector                   the state now ({"found": false} if there is no window)
//   window_inspector wait-window MS    wait up to MS for the window to be visible, then the state
//   window_inspector wait-gone MS      wait up to MS for the window to go away; {"found": ...}
//   window_inspector close             post WM_CLOSE to the main window; {"closed": bool}
//   window_inspector stay              do nothing until standard input ends (keeps Wine's
//                                      per-session processes alive between tests)
// Exit code: 0 when the window was found (closed / gone for the commands), 1 otherwise.
//
// "icons" asks the window with WM_GETICON and its class; Wine 8 answers null to both from another
// process even when the window has its icons, so only Windows gives a meaningful answer there.
// Rectangles are {"x","y","width","height"}: the window's in screen coordinates, members' relative
// to the main window's client area (plus "screen" in screen coordinates).
#include "json_text.hpp"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using bc::e2e::boolean;
using bc::e2e::Object;
using bc::e2e::quoted;

constexpr wchar_t mainClass[] = L"BrightnessControlMain";
constexpr wchar_t mainTitle[] = L"亮度控制";
constexpr wchar_t positionProperty[] = L"BrightnessControl.Position";
constexpr UINT messageTimeoutMs = 2000;

HWND findMain() {
    HWND hwnd = FindWindowW(mainClass, nullptr);
    return hwnd ? hwnd : FindWindowW(nullptr, mainTitle);
}

std::string rectJson(const RECT& r) {
    return Object()
        .add("x", r.left)
        .add("y", r.top)
        .add("width", r.right - r.left)
        .add("height", r.bottom - r.top)
        .str();
}

LRESULT send(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, messageTimeoutMs, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

std::wstring windowText(HWND hwnd) {
    // WM_GETTEXT is marshalled between processes, whatever the window keeps its text in.
    wchar_t buf[1024] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG,
                        messageTimeoutMs, &got);
    return std::wstring(buf, got < 1024 ? got : 1023);
}

std::wstring className(HWND hwnd) {
    wchar_t buf[256] = {};
    int n = GetClassNameW(hwnd, buf, 256);
    return std::wstring(buf, n > 0 ? n : 0);
}

// A RECT the other process fills in (TBM_GETTHUMBRECT and the like are not marshalled).
std::string remoteRect(HWND hwnd, UINT msg) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ, FALSE, pid);
    if (!process)
        return "null";
    std::string json = "null";
    void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    if (remote) {
        send(hwnd, msg, 0, reinterpret_cast<LPARAM>(remote));
        RECT r{};
        if (ReadProcessMemory(process, remote, &r, sizeof r, nullptr))
            json = rectJson(r);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return json;
}

// The stored slider position, published by the utility as a window property holding the
// position plus one (so that 0 stays distinguishable from "absent"); null when there is none.
std::string storedPosition(HWND slider) {
    HANDLE value = GetPropW(slider, positionProperty);
    if (!value)
        return "null";
    return std::to_string(static_cast<int>(reinterpret_cast<INT_PTR>(value)) - 1);
}

std::string sliderJson(HWND slider) {
    return Object()
        .add("pos", send(slider, TBM_GETPOS))
        .add("min", send(slider, TBM_GETRANGEMIN))
        .add("max", send(slider, TBM_GETRANGEMAX))
        .add("line_size", send(slider, TBM_GETLINESIZE))
        .add("page_size", send(slider, TBM_GETPAGESIZE))
        .add("stored", storedPosition(slider))
        .add("thumb", remoteRect(slider, TBM_GETTHUMBRECT))
        .add("channel", remoteRect(slider, TBM_GETCHANNELRECT))
        .str();
}

struct Members {
    HWND main;
    POINT clientOrigin;
    std::vector<std::pair<int, std::string>> entries;
    HWND slider = nullptr;
};

BOOL CALLBACK memberProc(HWND child, LPARAM data) {
    auto* members = reinterpret_cast<Members*>(data);
    if (GetParent(child) != members->main)
        return TRUE;
    int id = GetDlgCtrlID(child);
    RECT screen{};
    GetWindowRect(child, &screen);
    RECT relative = screen;
    OffsetRect(&relative, -members->clientOrigin.x, -members->clientOrigin.y);
    std::wstring cls = className(child);
    Object member;
    member.add("id", id)
        .add("class", quoted(cls))
        .add("text", quoted(windowText(child)))
        .add("rect", rectJson(relative))
        .add("screen", rectJson(screen))
        .add("style", static_cast<long long>(static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE))))
        .add("exstyle",
             static_cast<long long>(static_cast<DWORD>(GetWindowLongW(child, GWL_EXSTYLE))))
        .add("visible", boolean(IsWindowVisible(child)))
        .add("enabled", boolean(IsWindowEnabled(child)));
    if (_wcsicmp(cls.c_str(), TRACKBAR_CLASSW) == 0) {
        member.add("slider", sliderJson(child));
        members->slider = child;
    }
    members->entries.emplace_back(id, member.str());
    return TRUE;
}

struct Others {
    HWND main;
    DWORD pid;
    std::vector<std::string> entries;
};

BOOL CALLBACK otherProc(HWND hwnd, LPARAM data) {
    auto* others = reinterpret_cast<Others*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (hwnd == others->main || pid != others->pid)
        return TRUE;
    RECT r{};
    GetWindowRect(hwnd, &r);
    others->entries.push_back(
        Object()
            .add("hwnd", static_cast<long long>(reinterpret_cast<INT_PTR>(hwnd)))
            .add("class", quoted(className(hwnd)))
            .add("text", quoted(windowText(hwnd)))
            .add("rect", rectJson(r))
            .add("style",
                 static_cast<long long>(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE))))
            .add("exstyle",
                 static_cast<long long>(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE))))
            .add("visible", boolean(IsWindowVisible(hwnd)))
            .str());
    return TRUE;
}

std::string focusJson(HWND main, HWND focus) {
    if (!focus)
        return "null";
    if (focus == main)
        return quoted("main");
    if (GetParent(focus) == main)
        return std::to_string(GetDlgCtrlID(focus));
    return quoted(className(focus));
}

std::string stateJson(HWND main) {
    POINT cursor{};
    GetCursorPos(&cursor);
    std::string cursorJson = Object().add("x", cursor.x).add("y", cursor.y).str();
    if (!main)
        return Object().add("found", "false").add("cursor", cursorJson).str();

    DWORD pid = 0;
    DWORD thread = GetWindowThreadProcessId(main, &pid);
    RECT window{};
    GetWindowRect(main, &window);
    RECT client{};
    GetClientRect(main, &client);
    POINT origin{0, 0};
    ClientToScreen(main, &origin);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(thread, &gui);

    Members members{main, origin, {}};
    EnumChildWindows(main, memberProc, reinterpret_cast<LPARAM>(&members));
    Object memberMap;
    for (const auto& [id, json] : members.entries)
        memberMap.add(std::to_string(id), json);

    Others others{main, pid, {}};
    EnumWindows(otherProc, reinterpret_cast<LPARAM>(&others));
    std::string otherList = "[";
    for (size_t i = 0; i < others.entries.size(); ++i)
        otherList += (i ? "," : "") + others.entries[i];
    otherList += "]";

    return Object()
        .add("found", "true")
        .add("hwnd", static_cast<long long>(reinterpret_cast<INT_PTR>(main)))
        .add("pid", pid)
        .add("class", quoted(className(main)))
        .add("title", quoted(windowText(main)))
        .add("rect", rectJson(window))
        .add("client", Object()
                           .add("x", origin.x)
                           .add("y", origin.y)
                           .add("width", client.right)
                           .add("height", client.bottom)
                           .str())
        .add("style", static_cast<long long>(static_cast<DWORD>(GetWindowLongW(main, GWL_STYLE))))
        .add("exstyle",
             static_cast<long long>(static_cast<DWORD>(GetWindowLongW(main, GWL_EXSTYLE))))
        .add("visible", boolean(IsWindowVisible(main)))
        .add("iconic", boolean(IsIconic(main)))
        .add("foreground", boolean(GetForegroundWindow() == main))
        .add("active", boolean(gui.hwndActive == main))
        .add("focus", focusJson(main, gui.hwndFocus))
        .add("capture", focusJson(main, gui.hwndCapture))
        .add("icons", Object()
                          .add("big", boolean(send(main, WM_GETICON, ICON_BIG) != 0))
                          .add("small", boolean(send(main, WM_GETICON, ICON_SMALL) != 0))
                          .add("class_big", boolean(GetClassLongPtrW(main, GCLP_HICON) != 0))
                          .add("class_small", boolean(GetClassLongPtrW(main, GCLP_HICONSM) != 0))
                          .str())
        .add("members", memberMap.str())
        .add("others", otherList)
        .add("cursor", cursorJson)
        .str();
}

void print(const std::string& json) {
    std::string line = json + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring command = argc > 1 ? argv[1] : L"state";
    DWORD timeout = argc > 2 ? static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) : 0;
    ULONGLONG deadline = GetTickCount64() + timeout;

    if (command == L"state") {
        HWND main = findMain();
        print(stateJson(main));
        return main ? 0 : 1;
    }
    if (command == L"wait-window") {
        HWND main = findMain();
        while (!(main && IsWindowVisible(main)) && GetTickCount64() < deadline) {
            Sleep(20);
            main = findMain();
        }
        print(stateJson(main));
        return main && IsWindowVisible(main) ? 0 : 1;
    }
    if (command == L"wait-gone") {
        while (findMain() && GetTickCount64() < deadline)
            Sleep(20);
        bool gone = findMain() == nullptr;
        print(Object().add("found", boolean(!gone)).str());
        return gone ? 0 : 1;
    }
    if (command == L"close") {
        HWND main = findMain();
        bool posted = main && PostMessageW(main, WM_CLOSE, 0, 0);
        print(Object().add("closed", boolean(posted)).str());
        return posted ? 0 : 1;
    }
    if (command == L"stay") {
        char buf[256];
        DWORD got = 0;
        HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
        while (ReadFile(in, buf, sizeof buf, &got, nullptr) && got > 0) {
        }
        return 0;
    }
    std::fputs("usage: window_inspector [state | wait-window MS | wait-gone MS | close | stay]\n",
               stderr);
    return 2;
}
