// A DLL that tells who loads it: each process that does appends the DLL's path
// (UTF-16LE, CR LF) to the file TARNWELL_MARKER_REPORT names.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  wchar_t report[MAX_PATH], line[MAX_PATH + 2];
  if (reason != DLL_PROCESS_ATTACH ||
      !GetEnvironmentVariableW(L"TARNWELL_MARKER_REPORT", report, MAX_PATH))
    return TRUE;
  DWORD length = GetModuleFileNameW(self, line, MAX_PATH);
  line[length++] = L'\r';
  line[length++] = L'\n';
  HANDLE file = CreateFileW(report, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, line, length * sizeof *line, &written, nullptr);
  CloseHandle(file);
  return TRUE;
}
