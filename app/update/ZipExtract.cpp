#include "update/ZipExtract.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "shell/Handle.h"
#include "update/EntryName.h"
#include "update/FileOps.h"
#include "update/ZipArchive.h"

namespace Corvane {
namespace {

// The attributes an entry may carry onto disk; anything else in the stored word (a Unix
// mode in the high half, directory or device bits) would be read as creation flags.
const DWORD kStoredAttributeMask =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
const uLong kEncryptedFlag = 1;
const size_t kCopyBytes = 64 * 1024;

std::wstring WithBackslash(std::wstring path) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path;
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return std::wstring();
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
    if (length == 0 || length >= size) return std::wstring();
    full.resize(length);
    return full;
}

// The entry's name as stored, read in the ANSI code page (embedded zero bytes kept, so
// the confinement rules see and refuse them).
std::wstring AnsiName(const std::vector<char>& bytes, uLong length) {
    if (length == 0) return std::wstring();
    const int size = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(length), nullptr, 0);
    if (size <= 0) return std::wstring();
    std::wstring name(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(length), &name[0], size);
    return name;
}

// One unpack: walks the archive's directory and writes what may be written.
class Extractor {
public:
    Extractor(unzFile archive, std::wstring base, const ExtractLimits& limits, ExtractReport* report)
        : m_archive(archive), m_base(std::move(base)), m_limits(limits), m_report(report) {}

    // False when the folder is no plain directory.
    bool Prepare() {
        m_fullBase = WithBackslash(FullPath(m_base));
        return m_fullBase.size() > 1 && IsPlainDirectory(m_base);
    }

    void Run() {
        std::vector<char> name(kMaxNameBytes + 1);
        DWORD seen = 0;
        for (int at = ::unzGoToFirstFile(m_archive); at == UNZ_OK && seen < m_limits.maxEntries;
             at = ::unzGoToNextFile(m_archive), ++seen) {
            unz_file_info64 info = {};
            const bool unpacked =
                ::unzGetCurrentFileInfo64(m_archive, &info, name.data(), kMaxNameBytes, nullptr, 0,
                                          nullptr, 0) == UNZ_OK &&
                UnpackEntry(info, AnsiName(name, std::min<uLong>(info.size_filename, kMaxNameBytes)));
            if (!unpacked) ++m_report->skipped;
        }
    }

private:
    static constexpr uLong kMaxNameBytes = 65535;  // the zip format's limit

    bool UnpackEntry(const unz_file_info64& info, const std::wstring& storedName) {
        std::wstring relative;
        bool directory = false;
        if (!ConfineEntryName(CleanEntryName(storedName), &relative, &directory)) return false;
        const std::wstring target = m_base + relative;
        // The rules above leave nothing that resolves elsewhere; this holds them to it.
        const std::wstring full = FullPath(target);
        if (full.size() <= m_fullBase.size() ||
            _wcsnicmp(full.c_str(), m_fullBase.c_str(), m_fullBase.size()) != 0) {
            return false;
        }
        if (directory) return CreateFolders(relative);
        const size_t slash = relative.rfind(L'\\');
        if (slash != std::wstring::npos && !CreateFolders(relative.substr(0, slash))) return false;
        return UnpackFile(info, relative, target);
    }

    // Creates the folders of relative below the base, one part at a time; every part
    // that exists must be a plain directory, so nothing is written through a link.
    bool CreateFolders(const std::wstring& relative) {
        size_t at = 0;
        for (;;) {
            const size_t slash = relative.find(L'\\', at);
            const std::wstring path = m_base + relative.substr(0, slash);
            if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
                ::CreateDirectoryW(path.c_str(), nullptr);
            }
            if (!IsPlainDirectory(path)) return false;
            if (slash == std::wstring::npos) return true;
            at = slash + 1;
        }
    }

    bool UnpackFile(const unz_file_info64& info, const std::wstring& relative, const std::wstring& target) {
        if ((info.flag & kEncryptedFlag) != 0) return false;
        if (info.uncompressed_size > m_limits.maxEntryBytes || m_total >= m_limits.maxTotalBytes ||
            info.uncompressed_size > m_limits.maxTotalBytes - m_total) {
            return false;
        }
        Forget(relative);
        // Replace by delete and CREATE_NEW, so nothing is ever written through a link
        // planted under this name (RemoveFileIfPresent leaves links alone, and CREATE_NEW
        // fails on whatever is still there).
        if (!RemoveFileIfPresent(target)) return false;

        ZipEntryReader entry(m_archive);
        if (!entry.Open()) return false;
        DWORD attributes = info.external_fa & kStoredAttributeMask;
        if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
        UniqueHandle file(::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes,
                                        nullptr));
        if (!file) return false;

        bool good = CopyData(file.get(), info.uncompressed_size);
        good = entry.Close() == UNZ_OK && good;  // UNZ_CRCERROR for a wrong checksum
        if (good) SetStoredTime(file.get(), info.dosDate);
        file.reset();
        if (!good) {
            RemoveFileIfPresent(target);
            return false;
        }
        m_report->written.push_back(relative);
        return true;
    }

    // Inflates the current entry into file; its size must be exactly the declared one.
    bool CopyData(HANDLE file, ZPOS64_T declared) {
        ZPOS64_T copied = 0;
        for (;;) {
            const int got = ::unzReadCurrentFile(m_archive, m_buffer.data(), static_cast<unsigned>(m_buffer.size()));
            if (got < 0) return false;
            if (got == 0) break;
            copied += static_cast<ZPOS64_T>(got);
            m_total += static_cast<ULONGLONG>(got);
            if (copied > declared || m_total > m_limits.maxTotalBytes) return false;
            DWORD written = 0;
            if (!::WriteFile(file, m_buffer.data(), static_cast<DWORD>(got), &written, nullptr) ||
                written != static_cast<DWORD>(got)) {
                return false;
            }
        }
        // minizip checks the checksum only when the declared size was read in full.
        return copied == declared;
    }

    static void SetStoredTime(HANDLE file, uLong dosDate) {
        FILETIME local;
        FILETIME utc;
        if (::DosDateTimeToFileTime(static_cast<WORD>(dosDate >> 16), static_cast<WORD>(dosDate & 0xFFFF),
                                    &local) &&
            ::LocalFileTimeToFileTime(&local, &utc)) {
            ::SetFileTime(file, &utc, &utc, &utc);
        }
    }

    // A later entry of the same name replaces an earlier one, complete or not.
    void Forget(const std::wstring& relative) {
        std::vector<std::wstring>& written = m_report->written;
        written.erase(std::remove_if(written.begin(), written.end(),
                                     [&](const std::wstring& w) {
                                         return _wcsicmp(w.c_str(), relative.c_str()) == 0;
                                     }),
                      written.end());
    }

    unzFile m_archive;          // not owned
    std::wstring m_base;        // ends with a backslash
    std::wstring m_fullBase;    // its full form, for the final check
    ExtractLimits m_limits;
    ExtractReport* m_report;    // not owned
    ULONGLONG m_total = 0;      // bytes inflated so far
    std::vector<char> m_buffer = std::vector<char>(kCopyBytes);
};

}  // namespace

bool ExtractZipToFolder(const std::wstring& archivePath, const std::wstring& folder,
                        const ExtractLimits& limits, ExtractReport* report) {
    ExtractReport local;
    if (report == nullptr) report = &local;
    ZipArchive archive;
    if (!archive.Open(archivePath)) return false;
    Extractor extractor(archive.get(), WithBackslash(folder), limits, report);
    if (!extractor.Prepare()) return false;
    extractor.Run();
    return true;
}

}  // namespace Corvane
