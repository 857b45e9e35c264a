/* The console events that reach a Windows program from outside, for the program under test:
 *   consolectl ctrl-c GO PROGRAM [ARGS...]  PROGRAM on a console shared with this program; once the file
 *                                           GO exists, a Ctrl-C event to that console
 *   consolectl break GO PROGRAM [ARGS...]   the same with a Ctrl-Break event to PROGRAM's own process group
 *   consolectl close GO PROGRAM [ARGS...]   PROGRAM on a console window of its own; once GO exists, that
 *                                           window is told to close, as its close box does
 * PROGRAM's standard handles are this program's. Ends with PROGRAM's exit status, or 125 when the event
 * could not be caused (the reason on standard error). Measured under Wine 10: a Ctrl-C event reaches the
 * program's handler; a Ctrl-Break event ends the thread it lands on without any handler (Wine turns it
 * into SIGQUIT); a closed console window ends its programs without a close event. */
#include <windows.h>

#include <stdio.h>
#include <wchar.h>

static int fail(const char* what) {
    fprintf(stderr, "consolectl: %s (error %lu)\n", what, GetLastError());
    return 125;
}

static BOOL WINAPI keepGoing(DWORD event) {
    (void)event;
    return TRUE;
}

int wmain(int argc, wchar_t** argv) {
    int ctrlC = argc >= 4 && !wcscmp(argv[1], L"ctrl-c"), ctrlBreak = argc >= 4 && !wcscmp(argv[1], L"break");
    int closing = argc >= 4 && !wcscmp(argv[1], L"close");
    if (!ctrlC && !ctrlBreak && !closing) {
        fprintf(stderr, "usage: consolectl ctrl-c|break|close GO PROGRAM [ARGS...]\n");
        return 125;
    }
    wchar_t line[4096] = L"";
    for (int i = 3; i < argc; ++i) {
        if (wcslen(line) + wcslen(argv[i]) + 4 >= sizeof line / sizeof *line) return fail("command too long");
        wcscat(line, L"\"");
        wcscat(line, argv[i]);
        wcscat(line, i + 1 < argc ? L"\" " : L"\"");
    }
    STARTUPINFOW start;
    ZeroMemory(&start, sizeof start);
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    /* An event reaches the programs of a console its sender is attached to. Wine gives a program started
       from a shell without a terminal a console without a list of processes: a real one is made. */
    if (!closing && (!FreeConsole() || !AllocConsole())) return fail("cannot make a console");
    PROCESS_INFORMATION child;
    DWORD flags = closing ? CREATE_NEW_CONSOLE : ctrlBreak ? CREATE_NEW_PROCESS_GROUP : 0;
    if (!CreateProcessW(NULL, line, NULL, NULL, TRUE, flags, NULL, NULL, &start, &child))
        return fail("cannot start the program");
    SetConsoleCtrlHandler(keepGoing, TRUE); /* the event is for the program, not for its sender */
    while (GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES) {
        if (WaitForSingleObject(child.hProcess, 50) == WAIT_OBJECT_0) return fail("the program ended first");
    }
    if (closing) {
        FreeConsole();
        if (!AttachConsole(child.dwProcessId)) return fail("cannot reach the program's console");
        HWND window = GetConsoleWindow();
        if (!window) return fail("the program's console has no window");
        PostMessageW(window, WM_CLOSE, 0, 0);
    } else if (!GenerateConsoleCtrlEvent(ctrlC ? CTRL_C_EVENT : CTRL_BREAK_EVENT, ctrlC ? 0 : child.dwProcessId)) {
        return fail("cannot send the event");
    }
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD status = 125;
    GetExitCodeProcess(child.hProcess, &status);
    return (int)status;
}
