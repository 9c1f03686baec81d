// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the system answered about a file (platform/'s outcomes and errnos), in the words the
// player and the tools' users read: "soubor chybí", "disk je plný", …

#include <cstdint>
#include <string>

#include "platform/file_reading.h"

namespace ZapModule {

// Why a read failed: "soubor chybí", "soubor je příliš velký: …", …
std::string DescribeReadFailure(const FileRead& read);
// The errno of a failed open or read as that message gives it: "symbolické odkazy tvoří smyčku".
std::string ReadErrorText(int error);

// A size in bytes as the messages give it: "16 MiB" for whole mebibytes, else "1234 bajtů".
std::string SizeText(uint64_t bytes);

// A failed write's errno as the player is told it ("disk je plný"); EFBIG is a file that could
// not be copied for being over kMaxKeptFileBytes.
std::string WriteErrorText(int error);
// A file that could not be written for `problem`, as the tools say it after its path:
// "soubor nelze zapsat (disk je plný)".
std::string CannotWriteText(const std::string& problem);

// Why a folder cannot be read (the errno of listing it or of taking an entry's kind), in the
// words of WriteErrorText but for a missing permission, which here is one to read.
std::string FolderReadErrorText(int error);

// What the player is told when a folder in the place of the lock file `lock` was moved to `aside`
// (SingleCopyLock::SetAside) and the lock made anew.
std::string LockSetAsideText(const std::string& lock, const std::string& aside);

}  // namespace ZapModule
