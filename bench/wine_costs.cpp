// What single calls cost under this Wine, the figures behind the program's choices: opening a
// file, asking for its number or its identity, looking up a control, and a round trip to a
// window's thread, back to back and with file work in between.
//
//   wine_costs FOLDER [COUNT]      (FOLDER: an empty scratch folder; COUNT files, default 500)
//
// Prints one "name=milliseconds per call" line per measurement.

#include "files/file_io.h"

#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr UINT kPing = WM_APP + 1;

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Report(const char *name, int count, const std::function<void(int)> &call) {
  double start = Now();
  for (int i = 0; i < count; ++i) call(i);
  std::printf("%s=%.4f\n", name, (Now() - start) / count);
}

HANDLE OpenForReading(const std::string &path) {
  return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                     nullptr);
}

LRESULT CALLBACK PingWindow(HWND window, UINT message, WPARAM w, LPARAM l) {
  return message == kPing ? 1 : DefWindowProcA(window, message, w, l);
}

// Round trips from a worker to a visible window's thread: back to back, then with a file read
// between two of them (the window's thread has been idle a while before each).
void RoundTrips(const std::vector<std::string> &paths) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = PingWindow;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "WineCostsPing";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowA("WineCostsPing", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                              nullptr, nullptr, windowClass.hInstance, nullptr);
  int count = static_cast<int>(paths.size()) * 4;
  std::thread worker([&] {
    Report("send_message_back_to_back", count, [&](int) { SendMessageA(window, kPing, 0, 0); });
    double trips = 0;
    for (int i = 0; i < count; ++i) {
      Bytes content;
      TryReadWholeFile(paths[i % paths.size()], content);
      double start = Now();
      SendMessageA(window, kPing, 0, 0);
      trips += Now() - start;
    }
    std::printf("send_message_after_file_read=%.4f\n", trips / count);
    PostMessageA(window, WM_CLOSE, 0, 0);
  });
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_CLOSE) break;
    DispatchMessageA(&message);
  }
  worker.join();
  DestroyWindow(window);
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: wine_costs FOLDER [COUNT]\n");
    return 2;
  }
  std::string folder = argv[1];
  int count = argc > 2 ? std::atoi(argv[2]) : 500;
  if (count <= 0) return 2;
  std::vector<std::string> paths;
  Bytes sample(4000, 'a');
  for (int i = 0; i < count; ++i) {
    paths.push_back(folder + "\\f" + std::to_string(i) + ".yml");
    if (!WriteWholeFile(paths.back(), sample)) {
      std::fprintf(stderr, "wine_costs: cannot write %s\n", paths.back().c_str());
      return 1;
    }
  }

  Report("open_and_close", count, [&](int i) { CloseHandle(OpenForReading(paths[i])); });
  Report("read_whole_file", count, [&](int i) {
    Bytes content;
    TryReadWholeFile(paths[i], content);
  });
  std::vector<HANDLE> handles;
  for (const std::string &path : paths) handles.push_back(OpenForReading(path));
  Report("get_file_type", count, [&](int i) { GetFileType(handles[i]); });
  Report("file_number_from_handle", count, [&](int i) {
    LARGE_INTEGER number;
    IO_STATUS_BLOCK status;
    NtQueryInformationFile(handles[i], &status, &number, sizeof number,
                           static_cast<FILE_INFORMATION_CLASS>(6)); // internal information
  });
  Report("get_file_information_by_handle", count, [&](int i) {
    BY_HANDLE_FILE_INFORMATION information;
    GetFileInformationByHandle(handles[i], &information);
  });
  for (HANDLE handle : handles) CloseHandle(handle);
  Report("file_identity", count, [&](int i) { FileIdentity(paths[i]); });
  Report("write_whole_file", count, [&](int i) { WriteWholeFile(paths[i], sample); });

  HWND window = CreateWindowA("STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                              nullptr, nullptr);
  for (int id = 1; id <= 13; ++id) {
    CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 10, 10, window,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  }
  Report("get_dlg_item", count * 4, [&](int i) { GetDlgItem(window, 1 + i % 13); });
  DestroyWindow(window);

  RoundTrips(paths);
  for (const std::string &path : paths) RemoveFile(path);
  return 0;
}
