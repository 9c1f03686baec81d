// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/file_problems.h"

#include <cerrno>

#include "values/data_limits.h"

namespace ZapModule {

std::string SizeText(uint64_t bytes) {
    if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
    return std::to_string(bytes) + " bajtů";
}

std::string DescribeReadFailure(const FileRead& read) {
    switch (read.Failure) {
        case ReadFailure::None:
            return {};
        case ReadFailure::Missing:
            return "soubor chybí";
        case ReadFailure::NotAFile:
            return "není to obyčejný soubor";
        case ReadFailure::NoPermission:
            return "chybí oprávnění soubor číst";
        case ReadFailure::TooLarge:
            return "soubor je příliš velký: " + SizeText(read.Size) + ", nejvýše " +
                   SizeText(read.Limit);
        case ReadFailure::Failed:
            break;
    }
    return "soubor nelze přečíst (" + ReadErrorText(read.Error) + ")";
}

std::string ReadErrorText(int error) {
    switch (error) {
        case EIO:
            return "chyba disku";
        case ELOOP:
            return "symbolické odkazy tvoří smyčku";
        case ENAMETOOLONG:
            return "cesta je příliš dlouhá";
        default:
            return "chyba " + std::to_string(error);
    }
}

std::string WriteErrorText(int error) {
    switch (error) {
        case 0:
            return {};
        case ENOSPC:
        case EDQUOT:
            return "disk je plný";
        case EROFS:
            return "disk je jen pro čtení";
        case EACCES:
        case EPERM:
            return "chybí oprávnění k zápisu";
        case ENOENT:
            return "složka neexistuje";
        case ENOTDIR:
            return "v cestě ke složce je soubor nebo nefunkční odkaz";
        case EEXIST:
            return "soubor tohoto jména už existuje";
        case ELOOP:
            return "symbolické odkazy tvoří smyčku";
        case EISDIR:
            return "na místě souboru je složka";
        case ENAMETOOLONG:
            return "cesta je příliš dlouhá";
        case EIO:
            return "chyba disku";
        case EINVAL:  // a copy of something that is no regular file
            return "není to obyčejný soubor";
        case EFBIG:  // a file beyond the limit that could not be kept otherwise
            return "soubor je větší než " + SizeText(kMaxKeptFileBytes) + " a nelze ho zkopírovat";
        default:
            return "chyba " + std::to_string(error);
    }
}

std::string CannotWriteText(const std::string& problem) {
    return "soubor nelze zapsat" + (problem.empty() ? "" : " (" + problem + ")");
}

std::string FolderReadErrorText(int error) {
    return error == EACCES || error == EPERM ? "chybí oprávnění ke čtení složky"
                                             : WriteErrorText(error);
}

std::string LockSetAsideText(const std::string& lock, const std::string& aside) {
    return "Místo zámku " + lock + " byla složka. Hra ji přejmenovala na " + aside +
           " a zámek vytvořila znovu.";
}

}  // namespace ZapModule
