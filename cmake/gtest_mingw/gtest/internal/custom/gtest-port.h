// GoogleTest's port hooks for MinGW's win32 thread model, which has no
// std::mutex: Notification over a Win32 event instead.
#ifndef TARNWELL_CMAKE_GTEST_MINGW_CUSTOM_GTEST_PORT_H_
#define TARNWELL_CMAKE_GTEST_MINGW_CUSTOM_GTEST_PORT_H_

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace internal
}  // namespace testing

#endif  // TARNWELL_CMAKE_GTEST_MINGW_CUSTOM_GTEST_PORT_H_
