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
