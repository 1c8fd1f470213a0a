#include "update/ZipArchive.h"

#include <windows.h>

namespace Corvane {
namespace {

// minizip's file layer on Win32 handles. The stream is a heap record owned by minizip
// between open and close.
struct ArchiveStream {
    HANDLE file;
    bool failed;
};

voidpf ZCALLBACK OpenStream(voidpf, const void* path, int mode) {
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
    const HANDLE file = ::CreateFileW(static_cast<const wchar_t*>(path), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return new ArchiveStream{file, false};
}

uLong ZCALLBACK ReadStream(voidpf, voidpf stream, void* buffer, uLong size) {
    ArchiveStream* s = static_cast<ArchiveStream*>(stream);
    DWORD got = 0;
    if (!::ReadFile(s->file, buffer, size, &got, nullptr)) {
        s->failed = true;
        return 0;
    }
    return got;
}

uLong ZCALLBACK WriteStream(voidpf, voidpf stream, const void*, uLong) {
    static_cast<ArchiveStream*>(stream)->failed = true;  // read only
    return 0;
}

ZPOS64_T ZCALLBACK TellStream(voidpf, voidpf stream) {
    ArchiveStream* s = static_cast<ArchiveStream*>(stream);
    LARGE_INTEGER zero = {};
    LARGE_INTEGER at = {};
    if (!::SetFilePointerEx(s->file, zero, &at, FILE_CURRENT)) {
        s->failed = true;
        return static_cast<ZPOS64_T>(-1);
    }
    return static_cast<ZPOS64_T>(at.QuadPart);
}

long ZCALLBACK SeekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    ArchiveStream* s = static_cast<ArchiveStream*>(stream);
    DWORD method = FILE_BEGIN;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) method = FILE_CURRENT;
    if (origin == ZLIB_FILEFUNC_SEEK_END) method = FILE_END;
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(s->file, distance, nullptr, method)) {
        s->failed = true;
        return -1;
    }
    return 0;
}

int ZCALLBACK CloseStream(voidpf, voidpf stream) {
    ArchiveStream* s = static_cast<ArchiveStream*>(stream);
    ::CloseHandle(s->file);
    delete s;
    return 0;
}

int ZCALLBACK StreamError(voidpf, voidpf stream) {
    return static_cast<ArchiveStream*>(stream)->failed ? 1 : 0;
}

}  // namespace

ZipArchive::~ZipArchive() {
    if (m_file != nullptr) ::unzClose(m_file);
}

bool ZipArchive::Open(const std::wstring& path) {
    if (m_file != nullptr) return false;
    zlib_filefunc64_def functions = {};
    functions.zopen64_file = OpenStream;
    functions.zread_file = ReadStream;
    functions.zwrite_file = WriteStream;
    functions.ztell64_file = TellStream;
    functions.zseek64_file = SeekStream;
    functions.zclose_file = CloseStream;
    functions.zerror_file = StreamError;
    functions.opaque = nullptr;
    m_file = ::unzOpen2_64(path.c_str(), &functions);
    return m_file != nullptr;
}

ZipEntryReader::~ZipEntryReader() { Close(); }

bool ZipEntryReader::Open() {
    m_open = ::unzOpenCurrentFile(m_archive) == UNZ_OK;
    return m_open;
}

int ZipEntryReader::Close() {
    if (!m_open) return UNZ_OK;
    m_open = false;
    return ::unzCloseCurrentFile(m_archive);
}

}  // namespace Corvane
