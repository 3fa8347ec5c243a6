// kvprobe: reads and pokes top-level window state through Win32 for the end-to-end tests.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int kFound = 0;
const int kNotFound = 1;
const int kUsage = 2;

// "*" stands for "any" in both the class and the title argument.
const char* Pattern(const char* arg)
{
    return std::strcmp(arg, "*") == 0 ? nullptr : arg;
}

HWND FindTopLevel(const char* cls, const char* title)
{
    return FindWindowExA(nullptr, nullptr, Pattern(cls), Pattern(title));
}

// Decimal, or hexadecimal with a 0x prefix; a leading zero does not mean octal here.
bool ParseNumber(const char* text, long long* value)
{
    char* end = nullptr;
    bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    *value = hex ? static_cast<long long>(std::strtoull(text + 2, &end, 16))
                 : std::strtoll(text, &end, 10);
    return end != nullptr && end != text && *end == '\0';
}

void PrintRect(const RECT& rc)
{
    std::printf("%ld %ld %ld %ld", rc.left, rc.top, rc.right, rc.bottom);
}

void GetText(HWND hwnd, char* buffer, int size)
{
    buffer[0] = '\0';
    GetWindowTextA(hwnd, buffer, size);
}

int Find(HWND hwnd)
{
    std::printf("0x%08lx\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(hwnd)));
    return kFound;
}

int Client(HWND hwnd)
{
    RECT rc;
    if (!GetClientRect(hwnd, &rc))
        return kNotFound;
    POINT topLeft = {rc.left, rc.top};
    POINT bottomRight = {rc.right, rc.bottom};
    ClientToScreen(hwnd, &topLeft);
    ClientToScreen(hwnd, &bottomRight);
    RECT screen = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    PrintRect(screen);
    std::printf(" visible=%d\n", IsWindowVisible(hwnd) ? 1 : 0);
    return kFound;
}

int Window(HWND hwnd)
{
    RECT rc;
    if (!GetWindowRect(hwnd, &rc))
        return kNotFound;
    PrintRect(rc);
    std::printf("\n");
    return kFound;
}

// The window that owns this one (a modal box's owner), 0x00000000 when none.
int Owner(HWND hwnd)
{
    return Find(GetWindow(hwnd, GW_OWNER));
}

// 1 when the window takes mouse and keyboard input, 0 while it is disabled (under a modal box, say).
int Enabled(HWND hwnd)
{
    std::printf("%d\n", IsWindowEnabled(hwnd) ? 1 : 0);
    return kFound;
}

int Title(HWND hwnd)
{
    char text[512];
    GetText(hwnd, text, sizeof text);
    std::printf("%s\n", text);
    return kFound;
}

// One window per line, tab separated: hwnd, pid, visible, class, title, window rectangle.
void PrintWindowLine(HWND hwnd)
{
    char cls[256] = "";
    char text[512];
    DWORD pid = 0;
    RECT rc = {0, 0, 0, 0};
    GetClassNameA(hwnd, cls, sizeof cls);
    GetText(hwnd, text, sizeof text);
    GetWindowThreadProcessId(hwnd, &pid);
    GetWindowRect(hwnd, &rc);
    std::printf("0x%08lx\t%lu\t%d\t%s\t%s\t", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(hwnd)),
                static_cast<unsigned long>(pid), IsWindowVisible(hwnd) ? 1 : 0, cls, text);
    PrintRect(rc);
    std::printf("\n");
}

BOOL CALLBACK ListOne(HWND hwnd, LPARAM)
{
    PrintWindowLine(hwnd);
    return TRUE;
}

int List()
{
    EnumWindows(ListOne, 0);
    return kFound;
}

// Children (a message box's text, icon and buttons, say), tab separated:
// control id, class, text, window rectangle on screen, style in hex.
BOOL CALLBACK ChildOne(HWND hwnd, LPARAM)
{
    char cls[256] = "";
    char text[512];
    RECT rc = {0, 0, 0, 0};
    GetClassNameA(hwnd, cls, sizeof cls);
    GetText(hwnd, text, sizeof text);
    GetWindowRect(hwnd, &rc);
    std::printf("%d\t%s\t%s\t", GetDlgCtrlID(hwnd), cls, text);
    PrintRect(rc);
    std::printf("\t0x%08lx\n", static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_STYLE)));
    return TRUE;
}

int Children(HWND hwnd)
{
    EnumChildWindows(hwnd, ChildOne, 0);
    return kFound;
}

// Polls inside one process (a Wine start costs far more than a lookup): waits up to timeoutText
// milliseconds until a matching window exists (wanted true) or none does (wanted false).
int WaitFor(const char* cls, const char* title, const char* timeoutText, bool wanted)
{
    long long timeout;
    if (!ParseNumber(timeoutText, &timeout))
        return kUsage;
    DWORD start = GetTickCount();
    for (;;) {
        HWND hwnd = FindTopLevel(cls, title);
        if ((hwnd != nullptr) == wanted)
            return wanted ? Find(hwnd) : kFound;
        if (static_cast<long long>(GetTickCount() - start) >= timeout)
            return kNotFound;
        Sleep(50);
    }
}

// The system's text for a multimedia wave-input error code, as programs show it to the user.
// winmm is loaded at run time so that the probe links against the window libraries only.
int WaveInErrorText(const char* codeText)
{
    typedef UINT(WINAPI * GetErrorText)(UINT, LPSTR, UINT);
    long long code;
    if (!ParseNumber(codeText, &code))
        return kUsage;
    HMODULE winmm = LoadLibraryA("winmm.dll");
    GetErrorText getText = winmm ? reinterpret_cast<GetErrorText>(
                                       reinterpret_cast<void*>(GetProcAddress(winmm, "waveInGetErrorTextA")))
                                 : nullptr;
    char text[256] = "";
    if (getText == nullptr || getText(static_cast<UINT>(code), text, sizeof text) != 0)
        return kNotFound;
    std::printf("%s\n", text);
    return kFound;
}

// The names of the wave-input devices, one a line, in the system's order.
int WaveInputs()
{
    typedef UINT(WINAPI * NumDevs)();
    typedef UINT(WINAPI * DevCaps)(UINT_PTR, LPWAVEINCAPSA, UINT);
    HMODULE winmm = LoadLibraryA("winmm.dll");
    NumDevs numDevs = winmm ? reinterpret_cast<NumDevs>(
                                  reinterpret_cast<void*>(GetProcAddress(winmm, "waveInGetNumDevs")))
                            : nullptr;
    DevCaps devCaps = winmm ? reinterpret_cast<DevCaps>(
                                  reinterpret_cast<void*>(GetProcAddress(winmm, "waveInGetDevCapsA")))
                            : nullptr;
    if (numDevs == nullptr || devCaps == nullptr)
        return kNotFound;
    UINT count = numDevs();
    for (UINT i = 0; i < count; i++) {
        WAVEINCAPSA caps = {};
        if (devCaps(i, &caps, sizeof caps) == 0)
            std::printf("%s\n", caps.szPname);
    }
    return kFound;
}

int Post(HWND hwnd, char** numbers)
{
    long long msg, wparam, lparam;
    if (!ParseNumber(numbers[0], &msg) || !ParseNumber(numbers[1], &wparam) ||
        !ParseNumber(numbers[2], &lparam))
        return kUsage;
    BOOL ok = PostMessageA(hwnd, static_cast<UINT>(msg), static_cast<WPARAM>(wparam),
                           static_cast<LPARAM>(lparam));
    return ok ? kFound : kNotFound;
}

// SendMessage with a time-out; prints the result as a signed number.
int Send(HWND hwnd, char** numbers)
{
    long long msg, wparam, lparam;
    if (!ParseNumber(numbers[0], &msg) || !ParseNumber(numbers[1], &wparam) ||
        !ParseNumber(numbers[2], &lparam))
        return kUsage;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hwnd, static_cast<UINT>(msg), static_cast<WPARAM>(wparam),
                             static_cast<LPARAM>(lparam), SMTO_ABORTIFHUNG, 5000, &result))
        return kNotFound;
    std::printf("%ld\n", static_cast<long>(result));
    return kFound;
}

// Moves the window's top-left corner to a screen point, keeping its size, z-order and activation.
int Move(HWND hwnd, char** numbers)
{
    long long x, y;
    if (!ParseNumber(numbers[0], &x) || !ParseNumber(numbers[1], &y))
        return kUsage;
    UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    return SetWindowPos(hwnd, nullptr, static_cast<int>(x), static_cast<int>(y), 0, 0, flags) ? kFound : kNotFound;
}

int Close(HWND hwnd)
{
    return PostMessageA(hwnd, WM_CLOSE, 0, 0) ? kFound : kNotFound;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: kvprobe find|client|window|title|children|owner|enabled|close <class|*> <title|*>\n"
                 "       kvprobe post|send <class|*> <title|*> <msg> <wparam> <lparam>\n"
                 "       kvprobe move <class|*> <title|*> <x> <y>\n"
                 "       kvprobe wait|waitgone <class|*> <title|*> <timeout ms>\n"
                 "       kvprobe list\n"
                 "       kvprobe hold <ms>\n"
                 "       kvprobe waveinerror <code>\n"
                 "       kvprobe waveins\n");
    return kUsage;
}

// Subcommands that act on one top-level window named by class and title.
int OnWindow(const char* command, HWND hwnd, int argc, char** argv)
{
    if (std::strcmp(command, "find") == 0)
        return Find(hwnd);
    if (std::strcmp(command, "client") == 0)
        return Client(hwnd);
    if (std::strcmp(command, "window") == 0)
        return Window(hwnd);
    if (std::strcmp(command, "title") == 0)
        return Title(hwnd);
    if (std::strcmp(command, "children") == 0)
        return Children(hwnd);
    if (std::strcmp(command, "owner") == 0)
        return Owner(hwnd);
    if (std::strcmp(command, "enabled") == 0)
        return Enabled(hwnd);
    if (std::strcmp(command, "close") == 0)
        return Close(hwnd);
    if (std::strcmp(command, "post") == 0 && argc == 7)
        return Post(hwnd, argv + 4);
    if (std::strcmp(command, "send") == 0 && argc == 7)
        return Send(hwnd, argv + 4);
    if (std::strcmp(command, "move") == 0 && argc == 6)
        return Move(hwnd, argv + 4);
    return Usage();
}

bool KnownWindowCommand(const char* command)
{
    static const char* const kCommands[] = {"find",  "client",  "window", "title", "children",
                                            "owner", "enabled", "close",  "post", "send",
                                            "move"};
    for (const char* known : kCommands)
        if (std::strcmp(command, known) == 0)
            return true;
    return false;
}

}  // namespace

// Stays connected to the desktop for the given time without using the processor, so that Wine's desktop
// process doesn't end between two short-lived test programs and make the next one wait for its restart.
int Hold(const char* msText)
{
    long long ms;
    if (!ParseNumber(msText, &ms))
        return kUsage;
    FindWindowA(nullptr, nullptr);
    Sleep(static_cast<DWORD>(ms));
    return kFound;
}

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "list") == 0)
        return List();
    if (argc == 3 && std::strcmp(argv[1], "hold") == 0)
        return Hold(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "waveins") == 0)
        return WaveInputs();
    if (argc == 3 && std::strcmp(argv[1], "waveinerror") == 0)
        return WaveInErrorText(argv[2]);
    if (argc == 5 && std::strcmp(argv[1], "wait") == 0)
        return WaitFor(argv[2], argv[3], argv[4], true);
    if (argc == 5 && std::strcmp(argv[1], "waitgone") == 0)
        return WaitFor(argv[2], argv[3], argv[4], false);
    if (argc < 4 || !KnownWindowCommand(argv[1]))
        return Usage();
    HWND hwnd = FindTopLevel(argv[2], argv[3]);
    if (hwnd == nullptr)
        return kNotFound;
    int result = OnWindow(argv[1], hwnd, argc, argv);
    std::fflush(stdout);
    return result;
}
