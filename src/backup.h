// The backup of the lock-screen policy, reg.dat in the product directory: a
// registry-editor file that puts each of the four values back as it was, and
// deletes each that was absent, when imported.
#ifndef TARNWELL_SRC_BACKUP_H_
#define TARNWELL_SRC_BACKUP_H_

#include <string>

// The file's first line, and the byte-order mark before it in the UTF-16LE
// form, which a backup takes when its image path holds a control character.
inline constexpr char kBackupHeader[] = "Windows Registry Editor Version 5.00";
inline constexpr char kUtf16leByteOrderMark[] = "\xFF\xFE";

// The lines that open the sections of the two policy keys.
std::string PolicyKeyLine();
std::string CreativeKeyLine();

// The backup file in the product directory `path`.
std::string BackupFile(const std::string& path);

// True when the program runs as a 32-bit process on 64-bit Windows.
bool IsWow64();

// The backup's LockScreenImage line for a stored text.
std::string LockScreenImageLine(const std::string& image);

// Writes the current lock-screen values to `path`\reg.dat, whole or not at
// all. A registry read that fails is logged and leaves its values absent.
// Raises EFCreateError or EWriteError when the file cannot be written, in
// which case no reg.dat exists afterwards.
void SaveLockScreenBackup(const std::string& path, const std::string& log_file);

#endif  // TARNWELL_SRC_BACKUP_H_
