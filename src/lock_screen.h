// The lock-screen policy and its elevated writes: the program changes the
// registry only through reg.exe, launched elevated and hidden, whose
// command lines quote their arguments in double quotes.
#ifndef TARNWELL_SRC_LOCK_SCREEN_H_
#define TARNWELL_SRC_LOCK_SCREEN_H_

#include <string>

// The lock-screen policy: two keys, below their roots, and four values.
inline constexpr char kPolicyKey[] = "SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization";
inline constexpr char kCreativeKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Lock Screen\\Creative";
inline constexpr char kLockScreenImage[] = "LockScreenImage";
inline constexpr char kNoChangingLockScreen[] = "NoChangingLockScreen";
inline constexpr char kNoLockScreen[] = "NoLockScreen";
inline constexpr char kLockImageFlags[] = "LockImageFlags";

// `text` in double quotes; only a text without one can be quoted.
std::string Quoted(const std::string& text);
bool CanQuote(const std::string& text);

// Launches reg.exe elevated and hidden; true when the shell accepted.
bool RunElevated(const std::string& parameters);

// The same launch, waited for; true when reg.exe ended with status 0. A
// launch that gives no process to wait for counts as failed, as nothing
// shows how it ends.
bool RunElevatedAndWait(const std::string& parameters);

// Makes `image_file` the enforced lock-screen image: four reg.exe launches,
// each refused launch logged.
void ApplyLockScreen(const std::string& image_file, const std::string& log_file);

#endif  // TARNWELL_SRC_LOCK_SCREEN_H_
