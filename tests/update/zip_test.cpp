// ExtractZipToFolder against the archives of the fixture tree (make_fixtures.py): what an
// ordinary archive puts on disk, and that a hostile one never writes outside the folder,
// never leaves a half-written file and never brings the program down.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/TestPaths.h"
#include "update/ZipExtract.h"
#include "update_fixtures.h"

using namespace Corvane;
using TestSupport::ScratchDir;
using UpdateTests::FilesBelow;
using UpdateTests::FixturesDir;
using UpdateTests::ReadBytes;
using UpdateTests::ZipFixture;

namespace {

// A case folder with an empty "work" folder to unpack into; anything that escapes lands
// in the case folder or above it.
std::wstring MakeWork(const ScratchDir& scratch, const std::wstring& name) {
    const std::wstring folder = scratch.path() + name + L"\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ::CreateDirectoryW((folder + L"work").c_str(), nullptr);
    return folder + L"work\\";
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> items) {
    for (std::wstring& item : items) ::CharLowerBuffW(&item[0], static_cast<DWORD>(item.size()));
    std::sort(items.begin(), items.end());
    return items;
}

// The places an escaping "escape.txt" would reach from a work folder under the temporary
// folder, or by an absolute name.
std::vector<std::wstring> EscapeTargets() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    return {std::wstring(temp) + L"escape.txt", L"C:\\escape.txt", L"C:\\tmp\\escape.txt",
            L"C:\\users\\escape.txt"};
}

struct HostileCase {
    const wchar_t* archive;   // zips\hostile\<archive>.zip
    const wchar_t* landsAt;   // where the hostile entry is written in the work folder; null: skipped
    const char* content;
};

// The cleaning rules turn some names into names inside the folder; whatever they leave
// that could reach or name anything else is skipped.
const HostileCase kHostileCases[] = {
    {L"parent-backslash", nullptr, nullptr},
    {L"parent-slash", nullptr, nullptr},
    {L"parent-twice", L"escape.txt", "escape"},
    {L"inner-backslash", L"escape.txt", "escape"},
    {L"inner-slash", L"escape.txt", "escape"},
    {L"inner-mixed-1", L"escape.txt", "escape"},
    {L"inner-mixed-2", L"escape.txt", "escape"},
    {L"deep-climb", L"escape.txt", "escape"},
    {L"parent-doubled-slash", nullptr, nullptr},
    {L"trailing-parent", nullptr, nullptr},
    {L"drive-absolute", L"escape.txt", "escape"},
    {L"drive-relative", L"escape.txt", "escape"},
    {L"drive-parent", nullptr, nullptr},
    {L"root-absolute", L"tmp\\escape.txt", "escape"},
    {L"unc", L"server\\share\\escape.txt", "escape"},
    {L"device-namespace", nullptr, nullptr},
    {L"dot-namespace", nullptr, nullptr},
    {L"device-con", nullptr, nullptr},
    {L"device-nul-extension", nullptr, nullptr},
    {L"device-in-folder", nullptr, nullptr},
    {L"device-com", nullptr, nullptr},
    {L"device-superscript", nullptr, nullptr},
    {L"device-conout", nullptr, nullptr},
    {L"device-trailing-space", nullptr, nullptr},
    {L"stream-name", nullptr, nullptr},
    {L"trailing-dot", nullptr, nullptr},
    {L"three-dots", nullptr, nullptr},
    {L"control-character", nullptr, nullptr},
    {L"embedded-zero", nullptr, nullptr},
    {L"wildcard", nullptr, nullptr},
    {L"dot-parts", L"dir\\escape.txt", "escape"},
    {L"long-name", nullptr, nullptr},
    // A Unix symbolic link is unpacked as the plain file it is stored as.
    {L"symlink-entry", L"link", "../../outside"},
};

TEST(ExtractZipToFolder, HostileNamesStayInsideTheFolderOrAreSkipped) {
    ScratchDir scratch(L"zip-hostile");
    for (const HostileCase& c : kHostileCases) {
        SCOPED_TRACE(testing::Message() << "archive " << c.archive);
        const std::wstring work = MakeWork(scratch, c.archive);
        const std::wstring caseFolder = work.substr(0, work.size() - 5);
        ExtractReport report;
        ASSERT_TRUE(ExtractZipToFolder(ZipFixture(std::wstring(L"hostile\\") + c.archive + L".zip"), work,
                                       ExtractLimits(), &report));

        // The entry after the hostile one is always unpacked.
        EXPECT_EQ("ok", ReadBytes(work + L"ok.txt"));
        std::vector<std::wstring> expected = {L"ok.txt"};
        if (c.landsAt != nullptr) {
            expected.push_back(c.landsAt);
            EXPECT_EQ(c.content, ReadBytes(work + c.landsAt));
        } else {
            EXPECT_EQ(1u, report.skipped);
        }
        EXPECT_EQ(Sorted(expected), Sorted(FilesBelow(work)));
        // Nothing beside the work folder.
        for (const std::wstring& file : FilesBelow(caseFolder)) {
            EXPECT_EQ(0, file.compare(0, 5, L"work\\")) << "written outside: " << file;
        }
    }
    for (const std::wstring& target : EscapeTargets()) {
        EXPECT_FALSE(IsFile(target)) << target;
    }
}

struct LyingCase {
    const wchar_t* archive;
    const wchar_t* entry;  // never on disk afterwards, not even in part
};

TEST(ExtractZipToFolder, EntriesWhoseDataLiesLeaveNothingAndTheNextIsUnpacked) {
    const LyingCase cases[] = {
        {L"huge-declared.zip", L"huge.bin"},         // 4 GiB declared, over the limit
        {L"bomb.zip", L"bomb.bin"},                  // 64 MiB of zeros, over the limit
        {L"understated-size.zip", L"bomb.bin"},      // inflates far past its declared size
        {L"overstated-size.zip", L"short.bin"},      // ends before its declared size
        {L"bad-checksum.zip", L"bad.txt"},
        {L"corrupt-data.zip", L"corrupt.txt"},
        {L"encrypted.zip", L"secret.txt"},
        {L"unknown-method.zip", L"packed.txt"},
    };
    ExtractLimits limits;
    limits.maxEntryBytes = 1024 * 1024;  // small, so the bomb is built quickly at test time
    ScratchDir scratch(L"zip-lying");
    for (const LyingCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "archive " << c.archive);
        const std::wstring work = MakeWork(scratch, c.archive);
        ExtractReport report;
        ASSERT_TRUE(ExtractZipToFolder(ZipFixture(c.archive), work, limits, &report));
        EXPECT_FALSE(IsFile(work + c.entry));
        EXPECT_EQ("ok", ReadBytes(work + L"ok.txt"));
        EXPECT_EQ(std::vector<std::wstring>{L"ok.txt"}, report.written);
    }
}

TEST(ExtractZipToFolder, TotalSizeAndEntryCountAreBounded) {
    ScratchDir scratch(L"zip-bounds");
    ExtractLimits limits;
    limits.maxEntryBytes = 1024 * 1024;
    limits.maxTotalBytes = 4 * 1024 * 1024;
    const std::wstring large = MakeWork(scratch, L"large");
    ExtractReport report;
    ASSERT_TRUE(ExtractZipToFolder(ZipFixture(L"many-large.zip"), large, limits, &report));
    ULONGLONG total = 0;
    for (const std::wstring& file : FilesBelow(large)) total += ReadBytes(large + file).size();
    EXPECT_GT(total, 0u);
    EXPECT_LE(total, limits.maxTotalBytes);
    EXPECT_GT(report.skipped, 0u);

    limits.maxEntries = 100;
    const std::wstring small = MakeWork(scratch, L"small");
    ASSERT_TRUE(ExtractZipToFolder(ZipFixture(L"many-small.zip"), small, limits, nullptr));
    EXPECT_EQ(100u, FilesBelow(small).size());
}

TEST(ExtractZipToFolder, FalseOnlyForAnArchiveThatCannotBeOpened) {
    ScratchDir scratch(L"zip-unopenable");
    for (const wchar_t* archive : {L"truncated.zip", L"not-a-zip.zip", L"empty.zip", L"missing.zip"}) {
        SCOPED_TRACE(testing::Message() << "archive " << archive);
        const std::wstring work = MakeWork(scratch, archive);
        EXPECT_FALSE(ExtractZipToFolder(ZipFixture(archive), work));
        EXPECT_TRUE(FilesBelow(work).empty());
    }
}

FILETIME LocalStamp(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME local = {year, month, 0, day, hour, minute, second, 0};
    FILETIME localTime;
    FILETIME utc;
    ::SystemTimeToFileTime(&local, &localTime);
    ::LocalFileTimeToFileTime(&localTime, &utc);
    return utc;
}

TEST(ExtractZipToFolder, FoldersAttributesTimesAndData) {
    ScratchDir scratch(L"zip-attributes");
    const std::wstring work = MakeWork(scratch, L"a");
    // Twice: the second unpack replaces the files of the first, the read-only one too.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        ExtractReport report;
        ASSERT_TRUE(ExtractZipToFolder(ZipFixture(L"attributes.zip"), work, ExtractLimits(), &report));
        EXPECT_EQ(0u, report.skipped);

        EXPECT_TRUE(IsFolder(work + L"empty"));
        EXPECT_EQ("deep", ReadBytes(work + L"dir\\sub\\deep.txt"));
        std::string lines;
        for (int i = 0; i < 10000; ++i) lines += "deflated line\n";
        EXPECT_EQ(lines, ReadBytes(work + L"deflated.txt"));

        const DWORD readOnly = ::GetFileAttributesW((work + L"ro.txt").c_str());
        EXPECT_EQ(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE,
                  readOnly & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN));
        EXPECT_NE(0u, ::GetFileAttributesW((work + L"hidden.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN);
        // A Unix mode in the stored word is no Windows attribute (nor a creation flag).
        const DWORD unix = ::GetFileAttributesW((work + L"unix.txt").c_str());
        EXPECT_EQ(0u, unix & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
        EXPECT_EQ("unix mode", ReadBytes(work + L"unix.txt"));
        EXPECT_EQ("not flags", ReadBytes(work + L"flags.txt"));

        // The stored local time 2001-02-03 04:05:06. Wine keeps access and write times;
        // a Linux file system has no settable creation time, so that one is not checked.
        WIN32_FILE_ATTRIBUTE_DATA data;
        ASSERT_TRUE(::GetFileAttributesExW((work + L"ro.txt").c_str(), GetFileExInfoStandard, &data));
        const FILETIME stamp = LocalStamp(2001, 2, 3, 4, 5, 6);
        EXPECT_EQ(0, ::CompareFileTime(&stamp, &data.ftLastWriteTime));
        EXPECT_EQ(0, ::CompareFileTime(&stamp, &data.ftLastAccessTime));
    }
}

TEST(ExtractZipToFolder, NamesAreReadInTheAnsiCodePage) {
    if (::GetACP() != 1252) GTEST_SKIP() << "the fixture's name byte 0xE9 is e-acute in code page 1252";
    ScratchDir scratch(L"zip-ansi");
    const std::wstring work = MakeWork(scratch, L"a");
    ASSERT_TRUE(ExtractZipToFolder(ZipFixture(L"ansi-name.zip"), work));
    EXPECT_EQ("ansi", ReadBytes(work + L"caf\u00e9.txt"));
}

// The fixture step plants links in linkcase\work: work\sub is a Unix symbolic link to
// the folder beside work, which Wine shows as a reparse point; work\file.txt is a hard
// link to a file there (Wine shows a symbolic link to a file as the plain file, so that
// case cannot be shown here; a hard link is written through by any replace that opens
// the existing name).
TEST(ExtractZipToFolder, NeverWritesThroughALinkInTheFolder) {
    const std::wstring base = FixturesDir() + L"linkcase\\";
    const std::wstring work = base + L"work\\";
    const DWORD sub = ::GetFileAttributesW((work + L"sub").c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, sub);
    ASSERT_NE(0u, sub & FILE_ATTRIBUTE_REPARSE_POINT) << "rerun the fixture step: work\\sub is no link";
    ASSERT_EQ("original", ReadBytes(work + L"file.txt")) << "rerun the fixture step: work\\file.txt is no link";

    ExtractReport report;
    ASSERT_TRUE(ExtractZipToFolder(ZipFixture(L"linkcase.zip"), work, ExtractLimits(), &report));
    EXPECT_FALSE(IsFile(base + L"outside\\planted.txt"));
    EXPECT_EQ(std::vector<std::wstring>{L"file.txt"}, report.written);
    EXPECT_EQ("replaced", ReadBytes(work + L"file.txt"));
    EXPECT_EQ("original", ReadBytes(base + L"outside\\victim.txt"));

    // A folder that is itself a link is not unpacked into at all.
    EXPECT_FALSE(ExtractZipToFolder(ZipFixture(L"attributes.zip"), work + L"sub\\"));
    EXPECT_FALSE(IsFile(base + L"outside\\ro.txt"));
}

}  // namespace
