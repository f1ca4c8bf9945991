#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lifecycle/entrytext.h"
#include "record/record.h"

static std::string Line(RecordKind kind, const char* path, unsigned long long size = 0, unsigned long long time = 0)
{
    RecordEntry entry;
    entry.kind = kind;
    entry.size = size;
    entry.time = time;
    std::strcpy(entry.path, path);
    char line[400];
    return FormatRecordLine(line, sizeof line, entry) ? line : "(refused)";
}

// Every kind goes out and comes back as it was; lines a reader cannot trust are skipped.
TEST(Record, LinesGoOutAndComeBack)
{
    EXPECT_EQ(Line(RecordKind::File, "c:\\OPOS\\QVX\\CARD.OCX", 12345, 0x01DA0B0C0D0E0F10ULL),
              "File 0000000000003039 01DA0B0C0D0E0F10 c:\\OPOS\\QVX\\CARD.OCX\r\n");
    EXPECT_EQ(Line(RecordKind::DdeGroup, "OLE for Point of Sale"), "DdeGroup OLE for Point of Sale\r\n");
    EXPECT_EQ(Line(RecordKind::Directory, ""), "(refused)");
    EXPECT_EQ(Line(RecordKind::Server, "c:\\a\r\nFile 1 2 c:\\windows"), "(refused)");  // no forged line
    EXPECT_EQ(Line(RecordKind::None, "c:\\a"), "(refused)");
    char small[16];
    EXPECT_FALSE(FormatRecordLine(small, sizeof small, RecordEntry{RecordKind::Directory, 0, 0, "c:\\OPOS\\QVX"}));

    const struct { RecordKind kind; const char* path; unsigned long long size, time; } kinds[] = {
        {RecordKind::File, "c:\\My Dir\\a b.txt", 0, 0}, {RecordKind::Shortcut, "c:\\x.lnk", ~0ULL, ~0ULL},
        {RecordKind::Directory, "c:\\OPOS", 0, 0},       {RecordKind::SharedCount, "C:\\windows\\system32\\MFC42.DLL", 0, 0},
        {RecordKind::DeviceKey, "SOFTWARE\\A\\B", 0, 0}, {RecordKind::RegistryKey, "SOFTWARE\\A", 0, 0},
        {RecordKind::ShortcutFolder, "c:\\S M\\G", 0, 0}, {RecordKind::Server, "c:\\q\\CARDSO.DLL", 0, 0}};
    std::string record;
    for (const auto& kind : kinds)
        record += Line(kind.kind, kind.path, kind.size, kind.time);
    record += "Bogus c:\\x\r\nFile 12 c:\\no-time\r\nFile 1x 0 c:\\y\r\nFile 1 0 \n\nDirectory c:\\last";
    const char* at = record.c_str();
    for (const auto& kind : kinds) {
        RecordEntry read;
        ASSERT_NE(at, nullptr);
        ASSERT_TRUE(ParseRecordLine(at, &read, &at)) << kind.path;
        EXPECT_EQ(read.kind, kind.kind);
        EXPECT_STREQ(read.path, kind.path);
        EXPECT_EQ(read.size, kind.size);
        EXPECT_EQ(read.time, kind.time);
    }
    RecordEntry read;
    for (int bad = 0; bad < 4; ++bad)
        EXPECT_FALSE(ParseRecordLine(at, &read, &at)) << bad;
    ASSERT_TRUE(ParseRecordLine(at, &read, &at));
    EXPECT_STREQ(read.path, "c:\\last");
    EXPECT_EQ(at, nullptr);
    std::string longPath = "Directory c:\\" + std::string(260, 'd');
    EXPECT_FALSE(ParseRecordLine(longPath.c_str(), &read, &at));
    EXPECT_FALSE(ParseRecordLine("File 10000000000000000 0 c:\\big", &read, &at));  // past 64 bits
}

// A reinstallation merges: nothing twice, a rewritten file's line in its place, no silent loss.
TEST(Record, MergeKeepsOneLinePerChange)
{
    char record[160] = "";
    const std::string a = Line(RecordKind::File, "c:\\q\\A.DLL", 10, 1), dir = Line(RecordKind::Directory, "c:\\q"),
                      server = Line(RecordKind::Server, "c:\\q\\A.DLL");
    EXPECT_EQ(MergeRecordLine(record, sizeof record, dir.c_str()), MergeResult::Appended);
    EXPECT_EQ(MergeRecordLine(record, sizeof record, a.c_str()), MergeResult::Appended);
    EXPECT_EQ(MergeRecordLine(record, sizeof record, server.c_str()), MergeResult::Appended);  // same path, other kind
    EXPECT_EQ(MergeRecordLine(record, sizeof record, "Directory C:\\Q\r\n"), MergeResult::Unchanged);
    EXPECT_TRUE(RecordHolds(record, Line(RecordKind::File, "C:\\Q\\a.dll", 10, 1).c_str()));
    EXPECT_FALSE(RecordHolds(record, Line(RecordKind::File, "c:\\q\\A.DLL", 10, 2).c_str()));
    const std::string longer = Line(RecordKind::File, "C:\\Q\\A.DLL", 123456, 0xABC);
    EXPECT_EQ(MergeRecordLine(record, sizeof record, longer.c_str()), MergeResult::Replaced);
    EXPECT_EQ(std::string(record), dir + longer + server);
    const std::string other = Line(RecordKind::File, "C:\\Q\\a.dll", 1, 0xABC);
    EXPECT_EQ(MergeRecordLine(record, sizeof record, other.c_str()), MergeResult::Replaced);
    EXPECT_EQ(std::string(record), dir + other + server);
    // Refused whole, record untouched: a line that does not fit, a replacement without its room.
    EXPECT_EQ(MergeRecordLine(record, sizeof record, Line(RecordKind::Server, std::string(100, 's').c_str()).c_str()),
              MergeResult::NoRoom);
    EXPECT_EQ(MergeRecordLine(record, std::strlen(record), longer.c_str()), MergeResult::NoRoom);
    EXPECT_EQ(std::string(record), dir + other + server);
}

TEST(Record, UnchangedFilesAndTheEstimatedSize)
{
    RecordEntry recorded{RecordKind::File, 2048, 77, "c:\\q\\A"};
    EXPECT_TRUE(FileUnchanged(recorded, 2048, 77));
    EXPECT_FALSE(FileUnchanged(recorded, 2049, 77));  // edited
    EXPECT_FALSE(FileUnchanged(recorded, 2048, 78));  // touched
    const std::string record = Line(RecordKind::File, "C:\\Q\\A", 1024, 1) + Line(RecordKind::File, "c:\\q\\S\\B", 1, 1) +
                               Line(RecordKind::File, "c:\\qq\\C", 1 << 20, 1) + Line(RecordKind::Shortcut, "c:\\q\\D", 4096, 1) +
                               Line(RecordKind::File, "c:\\windows\\E", 1 << 20, 1);
    EXPECT_EQ(RecordedKiB(record.c_str(), "c:\\q\\"), 2u);  // 1024 + 1 bytes, rounded up
    EXPECT_EQ(RecordedKiB("", "c:\\q\\"), 0u);
}

TEST(EntryTexts, CommandsIconDateAndGroup)
{
    char text[80];
    ASSERT_TRUE(FormatRemovalCommand(text, sizeof text, "c:\\OPOS\\QVX\\", "UNINST.EXE", false));
    EXPECT_STREQ(text, "\"c:\\OPOS\\QVX\\UNINST.EXE\" /UNINSTALL");
    ASSERT_TRUE(FormatRemovalCommand(text, sizeof text, "c:\\OPOS\\QVX\\", "UNINST.EXE", true));
    EXPECT_STREQ(text, "\"c:\\OPOS\\QVX\\UNINST.EXE\" /UNINSTALL /VERYSILENT");
    ASSERT_TRUE(FormatDisplayIcon(text, sizeof text, "c:\\OPOS\\QVX\\", "UNINST.EXE"));
    EXPECT_STREQ(text, "c:\\OPOS\\QVX\\UNINST.EXE,0");
    ASSERT_TRUE(FormatInstallDate(text, sizeof text, 2026, 3, 7));
    EXPECT_STREQ(text, "20260307");
    ASSERT_TRUE(FormatDeleteGroupCommand(text, sizeof text, "OLE for Point of Sale"));
    EXPECT_STREQ(text, "[DeleteGroup(OLE for Point of Sale)]");
    std::strcpy(text, "keep");
    EXPECT_FALSE(FormatInstallDate(text, sizeof text, 2026, 13, 1));
    EXPECT_FALSE(FormatRemovalCommand(text, 45, "c:\\OPOS\\QVX\\", "UNINST.EXE", true));  // one short
    EXPECT_FALSE(FormatDeleteGroupCommand(text, 20, "OLE for Point of Sale"));
    EXPECT_STREQ(text, "keep");
}

// The format line goes first once; a record a newer setup wrote is never taken for one of ours;
// a merged line never joins a last line that lacks its break.
TEST(Record, FormatLineAndLinesOfTheirOwn)
{
    char record[200] = "Server c:\\q\\CARD";
    EXPECT_EQ(RecordFormat(record), 1u);
    ASSERT_TRUE(StartRecordText(record, sizeof record));
    ASSERT_EQ(MergeRecordLine(record, sizeof record, "Server c:\\q\\CARDSO.DLL\r\n"), MergeResult::Appended);
    EXPECT_STREQ(record, "Record 2\r\nServer c:\\q\\CARD\r\nServer c:\\q\\CARDSO.DLL\r\n");
    ASSERT_TRUE(StartRecordText(record, sizeof record));  // again: still one format line
    EXPECT_EQ(std::string(record).find("Record", 1), std::string::npos);
    RecordEntry read;
    const char* next;
    EXPECT_FALSE(ParseRecordLine("NewKind c:\\q", &read, &next));
    EXPECT_EQ(read.kind, RecordKind::Unknown);
    for (const char* newer : {"Record 3\r\nFile 1 1 c:\\q\\A\r\n", "Record\r\n", "Record 2x\r\n"}) {
        std::strcpy(record, newer);
        EXPECT_EQ(RecordFormat(record), 0u) << newer;
        EXPECT_FALSE(StartRecordText(record, sizeof record));
        EXPECT_STREQ(record, newer);
    }
}

// Hostile lines, as a user who could edit the record would write them: only what this product's
// installation into c:\OPOS\QVX can have written is followed.
TEST(Record, ScopeFollowsOnlyWhatTheProductWrote)
{
    const char* const programs[] = {"C:\\ProgramData\\Start Menu\\Programs", "c:\\users\\u\\Start Menu\\Programs"};
    const char* const files[] = {"CARD.OC_", "SAMPLE\\TESTCARD.EX_", "README.DOC", "System\\MFC42.DL_", "UNINST.EXE"};
    const char* const shared[] = {"MFC42.DL_"};
    const char* const items[] = {"MSR Documentation"};
    const char* const servers[] = {"CARD.OCX"};
    ProductScope scope;
    scope.location = "c:\\OPOS\\QVX\\";
    scope.systemDirectory = "C:\\windows\\system32";
    scope.deviceKey = "SOFTWARE\\OLEforRetail\\ServiceOPOS\\MSR\\QVXMSR";
    scope.group = "OLE for Point of Sale";
    scope.programsFolders = {programs, 2};
    scope.files = {files, 5};
    scope.sharedFiles = {shared, 1};
    scope.items = {items, 1};
    scope.servers = {servers, 1};
    const struct { RecordKind kind; const char* path; bool followed; } lines[] = {
        {RecordKind::File, "C:\\opos\\qvx\\card.ocx", true},
        {RecordKind::File, "c:\\OPOS\\QVX\\SAMPLE\\TESTCARD.EXE", true},
        {RecordKind::File, "c:\\OPOS\\QVX\\System\\MFC42.DLL", true},
        {RecordKind::File, "c:\\OPOS\\QVX\\CARDSO.DLL.QVXNEW", false},  // not listed, staged or not
        {RecordKind::File, "c:\\OPOS\\QVX\\CARD.OCX.QVXNEW", true},
        {RecordKind::File, "c:\\windows\\system32\\kernel32.dll", false},
        {RecordKind::File, "c:\\OPOS\\QVX\\..\\..\\boot.ini", false},
        {RecordKind::File, "c:\\OPOS\\QVX\\.\\CARD.OCX", false},
        {RecordKind::File, "c:\\OPOS\\QVX\\\\CARD.OCX", false},
        {RecordKind::File, "c:\\OPOS\\QVX\\CARD.OCX:evil", false},
        {RecordKind::File, "c:\\OPOS\\QVX\\CARD.OCX.", false},
        {RecordKind::File, "c:\\OPOS\\QVX\\README~1.DOC", false},  // a short name is not a listed one
        {RecordKind::File, "c:\\OPOS\\QVXX\\CARD.OCX", false},
        {RecordKind::File, "\\\\server\\share\\CARD.OCX", false},
        {RecordKind::Shortcut, "c:\\users\\u\\Start Menu\\Programs\\OLE for Point of Sale\\MSR Documentation.lnk", true},
        {RecordKind::Shortcut, "c:\\users\\u\\Start Menu\\Programs\\Other\\MSR Documentation.lnk", false},
        {RecordKind::Shortcut, "c:\\users\\u\\Start Menu\\Programs\\OLE for Point of Sale\\Other.lnk", false},
        {RecordKind::Directory, "c:\\OPOS", true},
        {RecordKind::Directory, "c:\\OPOS\\QVX\\SAMPLE", true},
        {RecordKind::Directory, "c:\\", false},
        {RecordKind::Directory, "c:\\Other", false},
        {RecordKind::ShortcutFolder, "C:\\ProgramData\\Start Menu\\Programs\\OLE for Point of Sale", true},
        {RecordKind::ShortcutFolder, "C:\\ProgramData\\Start Menu\\Programs", false},
        {RecordKind::Server, "c:\\OPOS\\QVX\\CARD.OCX", true},
        {RecordKind::Server, "c:\\temp\\CARD.OCX", false},
        {RecordKind::DeviceKey, "software\\oleforretail\\serviceopos\\msr\\qvxmsr", true},
        {RecordKind::DeviceKey, "SOFTWARE\\OLEforRetail\\ServiceOPOS\\MSR\\OTHER", false},
        {RecordKind::RegistryKey, "SOFTWARE\\OLEforRetail", true},
        {RecordKind::RegistryKey, "SOFTWARE\\Other", false},
        {RecordKind::RegistryKey, "SOFTWARE\\OLEforRetail\\", false},
        {RecordKind::SharedCount, "C:\\WINDOWS\\SYSTEM32\\mfc42.dll", true},
        {RecordKind::SharedCount, "C:\\windows\\system32\\OTHER.DLL", false},
        {RecordKind::SharedCount, "C:\\windows\\MFC42.DLL", false},
        {RecordKind::DdeGroup, "OLE for Point of Sale", true},
        {RecordKind::DdeGroup, "Accessories", false},
        {RecordKind::DdeItem, "MSR Documentation", true},
        {RecordKind::DdeItem, "Other Product", false},
    };
    for (const auto& line : lines) {
        RecordEntry entry{line.kind, 1, 1, ""};
        std::strcpy(entry.path, line.path);
        EXPECT_EQ(InProductScope(entry, scope), line.followed) << line.path;
    }
    // A count is taken back once, whatever case the record names it in.
    const std::string record = "Record 2\r\nSharedCount C:\\w\\MFC42.DLL\r\nDirectory c:\\a\r\nSharedCount c:\\W\\mfc42.dll\r\n";
    const char* at = record.c_str();
    bool first[4];
    for (int i = 0; i < 4; ++i) {
        const char* line = at;
        RecordEntry entry;
        ParseRecordLine(at, &entry, &at);
        first[i] = FirstToName(record.c_str(), line, entry);
    }
    EXPECT_TRUE(first[1]);
    EXPECT_FALSE(first[3]);
}
