// S1 record parsing and the download into the simulator's memory image.
#include "LinkTestSupport.h"

#include "link/SRecord.h"
#include "link/FileInput.h"
#include "link/SRecordLoader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

using namespace zelk;
using namespace zelk::test;

namespace {

// An S1 line for data at address, with its checksum (off by delta).
std::string s1(int32_t address, const std::vector<uint8_t>& data, int delta = 0)
{
    std::vector<uint8_t> b{static_cast<uint8_t>(data.size() + 3), static_cast<uint8_t>(address >> 8),
                           static_cast<uint8_t>(address)};
    b.insert(b.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t x : b)
        sum += x;
    b.push_back(static_cast<uint8_t>(~sum + delta));
    std::string line = "S1";
    char hex[3];
    for (uint8_t x : b) {
        std::snprintf(hex, sizeof hex, "%02X", x);
        line += hex;
    }
    return line;
}

TEST(SRecord, ParsesTheReferenceRecord)
{
    SRecord rec;
    ASSERT_EQ(parseS1Record("S1130000285F245F2212226A000424290008237C2A", rec), SRecordStatus::Valid);
    EXPECT_EQ(rec.address, 0x0000);
    ASSERT_EQ(rec.count, 16);
    EXPECT_EQ(rec.data[0], 0x28);
    EXPECT_EQ(rec.data[15], 0x7C);
    EXPECT_EQ(downloadSizeText(rec.count), "16 bytes");
    EXPECT_EQ(downloadAddressText(rec.address), "Address = $0000");
}

TEST(SRecord, SingleByteRecordReadsInTheSingular)
{
    SRecord rec;
    ASSERT_EQ(parseS1Record(s1(0xE000, {0x39}), rec), SRecordStatus::Valid);
    EXPECT_EQ(rec.count, 1);
    EXPECT_EQ(downloadSizeText(rec.count), "1 byte");
    EXPECT_EQ(downloadAddressText(0xE000), "Address = $E000");
}

struct StatusCase {
    std::string line;
    SRecordStatus expected;
};

class SRecordStatusTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(SRecordStatusTest, Classifies)
{
    SRecord rec;
    rec.count = 99;
    const SRecordStatus status = parseS1Record(GetParam().line, rec);
    EXPECT_EQ(status, GetParam().expected) << GetParam().line;
    if (status != SRecordStatus::Valid) {
        EXPECT_EQ(rec.count, 99) << "record changed by a rejected line";
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, SRecordStatusTest, ::testing::Values(
    StatusCase{"S00600004844521B", SRecordStatus::NotData},
    StatusCase{"S9030000FC", SRecordStatus::NotData},
    StatusCase{"", SRecordStatus::NotData},
    StatusCase{"\r\n", SRecordStatus::NotData},
    StatusCase{"hello", SRecordStatus::NotData},
    StatusCase{"s1130000285F245F2212226A000424290008237C2A", SRecordStatus::NotData},
    StatusCase{"S1", SRecordStatus::Malformed},
    StatusCase{"S102", SRecordStatus::Malformed},
    StatusCase{"S1020000FD", SRecordStatus::Malformed},
    StatusCase{"S1130000285F245F2212226A000424290008237C", SRecordStatus::Malformed},
    StatusCase{"S1130000285F245F2212226A0004242900082X7C2A", SRecordStatus::Malformed},
    StatusCase{"S1130000285F245F2212226A000424290008237C2B", SRecordStatus::BadChecksum},
    StatusCase{"S1130000285F245F2212226A000424290008237C29", SRecordStatus::BadChecksum},
    StatusCase{"S1130000285F245F2212226A000424290008237C2A\r\n", SRecordStatus::Valid},
    StatusCase{"S1130000285F245F2212226A000424290008237C2A  \t", SRecordStatus::Valid},
    // Two records run together (a line end lost): the tail is not dropped
    // silently, the line is refused.
    StatusCase{"S1130000285F245F2212226A000424290008237C2AS1030000FC", SRecordStatus::Malformed},
    StatusCase{"S1130000285F245F2212226A000424290008237C2A\rS1030000FC", SRecordStatus::Malformed},
    StatusCase{"S1030000FC x", SRecordStatus::Malformed},
    StatusCase{"S1130000285f245f2212226a000424290008237c2a", SRecordStatus::Valid},
    StatusCase{"S1030000FC", SRecordStatus::Valid}));

TEST(SRecord, LongestRecordCarries252Bytes)
{
    std::vector<uint8_t> data(252);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i);
    SRecord rec;
    ASSERT_EQ(parseS1Record(s1(0x1000, data), rec), SRecordStatus::Valid);
    EXPECT_EQ(rec.count, 252);
    EXPECT_EQ(rec.data[251], 251);
}

class Progress : public DownloadProgress {
public:
    void progress(int percent) override { percents.push_back(percent); }
    void record(const std::string& a, const std::string& s) override { labels.push_back(a + " / " + s); }
    bool cancelRequested() override { return ++lines == cancelAfter; }
    std::vector<int> percents;
    std::vector<std::string> labels;
    int lines = 0, cancelAfter = -1;
};

class DownloadTest : public ::testing::Test {
protected:
    DownloadTest() : link(&notifier, &hooks) {}
    RecordingNotifier notifier;
    CountingHooks hooks;
    AccessLayer link;
};

TEST_F(DownloadTest, FillsTheImageErasesTheRestAndTakesPcFromTheResetVector)
{
    link.image()[0xDFFF] = 0x12;
    link.image()[0xE100] = 0x34;  // inside the erased area
    const std::string text = "S00600004844521B\n" + s1(0xE000, {0x86, 0x12, 0x39}) + "\n" +
                             s1(0xFFFE, {0xE0, 0x00}) + "\nS9030000FC\n";
    Progress p;
    const DownloadResult r = DownloadText(link, text, &p);
    EXPECT_TRUE(r.downloadOK);
    EXPECT_EQ(r.records, 2);
    EXPECT_EQ(r.bytes, 5);
    EXPECT_EQ(link.image()[0xE000], 0x86);
    EXPECT_EQ(link.image()[0xE002], 0x39);
    EXPECT_EQ(link.image()[0xE003], 0xFF);
    EXPECT_EQ(link.image()[0xE100], 0xFF);
    EXPECT_EQ(link.image()[0xFFFD], 0xFF);
    EXPECT_EQ(link.image()[0xDFFF], 0x12);
    EXPECT_EQ(link.regs.PC, 0xE000);
    ASSERT_EQ(p.labels.size(), 2u);
    EXPECT_EQ(p.labels[0], "Address = $E000 / 3 bytes");
    EXPECT_EQ(p.labels[1], "Address = $FFFE / 2 bytes");
    ASSERT_FALSE(p.percents.empty());
    EXPECT_EQ(p.percents.back(), 100);
    for (size_t i = 1; i < p.percents.size(); ++i)
        EXPECT_LE(p.percents[i - 1], p.percents[i]);
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(DownloadTest, BadRecordIsSkippedAndTheDownloadGoesOn)
{
    const std::string text = s1(0x2000, {1, 2}, 1) + "\r\n" + "S1" + "\r\n" + s1(0x2010, {3}) + "\r\n";
    const DownloadResult r = DownloadText(link, text);
    EXPECT_TRUE(r.downloadOK);
    EXPECT_EQ(r.records, 1);
    EXPECT_EQ(r.skipped, 2);
    EXPECT_EQ(link.image()[0x2000], 0);
    EXPECT_EQ(link.image()[0x2010], 3);
    EXPECT_TRUE(notifier.messages.empty());
}

// The same three records with every line-end convention, alone and mixed:
// each loads completely.
struct LineEndCase {
    const char* name;
    std::vector<const char*> ends;  // after the first, second and third record
};

class LineEndTest : public DownloadTest, public ::testing::WithParamInterface<LineEndCase> {};

TEST_P(LineEndTest, EveryRecordLoads)
{
    const std::vector<std::string> records = {s1(0xE000, {0x86, 0x01}), s1(0xE002, {0x8B, 0x09, 0x19}),
                                              s1(0xFFFE, {0xE0, 0x00})};
    std::string text = "S00600004844521B" + std::string(GetParam().ends[0]);
    for (size_t i = 0; i < records.size(); ++i)
        text += records[i] + GetParam().ends[i];
    text += "S9030000FC";
    Progress p;
    const DownloadResult r = DownloadText(link, text, &p);
    EXPECT_TRUE(r.downloadOK);
    EXPECT_EQ(r.records, 3);
    EXPECT_EQ(r.skipped, 0);
    EXPECT_EQ(r.bytes, 7);
    EXPECT_TRUE(r.resetVector);
    EXPECT_EQ(link.image()[0xE001], 0x01);
    EXPECT_EQ(link.image()[0xE004], 0x19);
    EXPECT_EQ(link.regs.PC, 0xE000);
    EXPECT_EQ(p.labels.size(), 3u);
    ASSERT_FALSE(p.percents.empty());
    EXPECT_EQ(p.percents.back(), 100);
}

INSTANTIATE_TEST_SUITE_P(Download, LineEndTest, ::testing::Values(
    LineEndCase{"Lf", {"\n", "\n", "\n"}},
    LineEndCase{"CrLf", {"\r\n", "\r\n", "\r\n"}},
    LineEndCase{"CrOnly", {"\r", "\r", "\r"}},
    LineEndCase{"Mixed", {"\r", "\n", "\r\n"}},
    LineEndCase{"LfCr", {"\n\r", "\n\r", "\n\r"}},
    LineEndCase{"BlankLinesBetween", {"\r\r", "\n\n", "\r\n\r\n"}}),
    [](const ::testing::TestParamInfo<LineEndCase>& info) { return std::string(info.param.name); });

TEST_F(DownloadTest, CrOnlyFileOnDiskLoadsCompletely)
{
    const auto path = std::filesystem::temp_directory_path() / "zelk_link_download_cr_test.s19";
    {
        std::ofstream out(path, std::ios::binary);
        out << s1(0xE000, {0xAB}) << "\r" << s1(0xE010, {0xCD}) << "\r" << s1(0xFFFE, {0xE0, 0x10}) << "\r";
    }
    const DownloadResult r = DownloadFile(link, path.string());
    std::filesystem::remove(path);
    EXPECT_EQ(r.records, 3);
    EXPECT_EQ(link.image()[0xE000], 0xAB);
    EXPECT_EQ(link.image()[0xE010], 0xCD);
    EXPECT_EQ(link.regs.PC, 0xE010);
}

// Which records count as setting the reset vector: both bytes of
// $FFFE-$FFFF must come from the file.
struct VectorCase {
    const char* name;
    std::vector<std::pair<int32_t, std::vector<uint8_t>>> records;
    bool covered;
};

class ResetVectorTest : public DownloadTest, public ::testing::WithParamInterface<VectorCase> {};

TEST_P(ResetVectorTest, CoverageIsReported)
{
    std::string text;
    for (const auto& [address, data] : GetParam().records)
        text += s1(address, data) + "\n";
    const DownloadResult r = DownloadText(link, text);
    EXPECT_EQ(r.resetVector, GetParam().covered);
}

INSTANTIATE_TEST_SUITE_P(Download, ResetVectorTest, ::testing::Values(
    VectorCase{"None", {{0xE000, {0x01, 0x02}}}, false},
    VectorCase{"Exact", {{0xE000, {0x01}}, {0xFFFE, {0xE0, 0x00}}}, true},
    VectorCase{"InsideALongerRecord", {{0xFFF0, std::vector<uint8_t>(16, 0xE0)}}, true},
    VectorCase{"HighByteOnly", {{0xFFFE, {0xE0}}}, false},
    VectorCase{"LowByteOnly", {{0xFFFF, {0x00}}}, false},
    VectorCase{"TwoRecords", {{0xFFFF, {0x00}}, {0xFFFE, {0xE0}}}, true},
    VectorCase{"WrapsPastTheTop", {{0xFFFF, {0x00, 0x11}}}, false},
    VectorCase{"BelowIt", {{0xFFFC, {0x00, 0x11}}}, false}),
    [](const ::testing::TestParamInfo<VectorCase>& info) { return std::string(info.param.name); });

TEST_F(DownloadTest, BadChecksumOnTheVectorDoesNotCount)
{
    const DownloadResult r = DownloadText(link, s1(0xFFFE, {0xE0, 0x00}, 1) + "\n" + s1(0xE000, {1}) + "\n");
    EXPECT_FALSE(r.resetVector);
    EXPECT_EQ(r.skipped, 1);
}

TEST_F(DownloadTest, SkippedRecordsAreReportedAfterTheDownload)
{
    const std::string text = s1(0xE000, {1}) + s1(0xE001, {2}) + "\n" + s1(0xE002, {3}) + "\n";
    const DownloadResult r = DownloadText(link, text);
    EXPECT_EQ(r.records, 1);
    EXPECT_EQ(r.skipped, 1);
    EXPECT_EQ(link.image()[0xE000], 0xFF);  // the run-together line is refused whole
    EXPECT_EQ(link.image()[0xE002], 3);
    EXPECT_TRUE(notifier.messages.empty());  // the download itself stays silent
    reportSkippedRecords(link, r);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].caption, "Tarvine - Download Error");
    EXPECT_EQ(notifier.messages[0].text, "1 S1 record could not be read and was not loaded !");

    notifier.messages.clear();
    DownloadResult two = r;
    two.skipped = 2;
    reportSkippedRecords(link, two);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "2 S1 records could not be read and were not loaded !");

    notifier.messages.clear();
    reportSkippedRecords(link, DownloadText(link, s1(0xE000, {1}) + "\n"));
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(DownloadTest, FileWithoutDataRecordsIsNotOk)
{
    link.image()[0xFFFE] = 0x12;
    const DownloadResult r = DownloadText(link, "S00600004844521B\nS9030000FC\n");
    EXPECT_FALSE(r.downloadOK);
    EXPECT_EQ(r.records, 0);
    EXPECT_EQ(link.image()[0xFFFE], 0xFF);  // erased all the same
    EXPECT_EQ(link.regs.PC, 0xFFFF);
}

TEST_F(DownloadTest, CancelStopsAfterTheCurrentRecord)
{
    const std::string text = s1(0x3000, {1}) + "\n" + s1(0x3001, {2}) + "\n" + s1(0x3002, {3}) + "\n";
    Progress p;
    p.cancelAfter = 2;
    const DownloadResult r = DownloadText(link, text, &p);
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(r.downloadOK);
    EXPECT_EQ(link.image()[0x3001], 2);
    EXPECT_EQ(link.image()[0x3002], 0);
}

TEST_F(DownloadTest, WithoutABoardTheEraseFailsAndNothingIsWritten)
{
    link.setMode(TargetMode::Board);
    const DownloadResult r = DownloadText(link, s1(0x3000, {1}) + "\n");
    EXPECT_FALSE(r.erased);
    EXPECT_FALSE(r.downloadOK);
    ASSERT_FALSE(notifier.messages.empty());
    EXPECT_EQ(notifier.messages.back().caption, "Tarvine - Download Error");
    EXPECT_EQ(notifier.messages.back().text, "Can't Write to Memory !");
    link.setMode(TargetMode::Simulator);
    EXPECT_EQ(link.image()[0x3000], 0);
}

TEST_F(DownloadTest, UnreadableFileReportsAndChangesNothing)
{
    link.image()[0xE000] = 0x12;
    const DownloadResult r = DownloadFile(link, "/nonexistent/dir/prog.s19");
    EXPECT_FALSE(r.opened);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].caption, "Tarvine - Read Error");
    EXPECT_EQ(notifier.messages[0].text, "No such file or directory !");
    EXPECT_EQ(link.image()[0xE000], 0x12);

    notifier.messages.clear();
    const DownloadResult d = DownloadFile(link, std::filesystem::temp_directory_path().string());
    EXPECT_FALSE(d.opened);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].text, "Is a directory !");
    EXPECT_EQ(link.image()[0xE000], 0x12);

    // An endless file stops at the size bound instead of filling the memory.
    notifier.messages.clear();
    const DownloadResult z = DownloadFile(link, "/dev/zero");
    EXPECT_FALSE(z.opened);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].caption, "Tarvine - Read Error");
    EXPECT_EQ(notifier.messages[0].text, "File too large !");
    EXPECT_EQ(link.image()[0xE000], 0x12);
}

TEST(FileInput, ReadsWholeFilesUpToTheBound)
{
    const auto path = std::filesystem::temp_directory_path() / "zelk_file_input_bound.s19";
    struct Case {
        size_t length, limit;
        const char* error;
    };
    for (const Case& c : {Case{0, 4, ""}, Case{4, 4, ""}, Case{5, 4, "File too large"}, Case{70000, 70000, ""},
                          Case{70001, 70000, "File too large"}, Case{131072, 65536, "File too large"}}) {
        SCOPED_TRACE(testing::Message() << c.length << " bytes, limit " << c.limit);
        std::string bytes(c.length, 'S');
        for (size_t i = 0; i < bytes.size(); i += 13)
            bytes[i] = '\n';
        std::ofstream(path, std::ios::binary) << bytes;
        std::string content = "stale";
        EXPECT_EQ(readFileInput(path, content, c.limit), c.error);
        EXPECT_EQ(content, *c.error ? std::string() : bytes);
    }
    std::filesystem::remove(path);
}

TEST_F(DownloadTest, ReadsAFile)
{
    const auto path = std::filesystem::temp_directory_path() / "zelk_link_download_test.s19";
    {
        std::ofstream out(path);
        out << s1(0xE000, {0xAB}) << "\n" << s1(0xFFFE, {0xE0, 0x00}) << "\n";
    }
    const DownloadResult r = DownloadFile(link, path.string());
    std::filesystem::remove(path);
    EXPECT_TRUE(r.opened);
    EXPECT_TRUE(r.downloadOK);
    EXPECT_EQ(link.image()[0xE000], 0xAB);
    EXPECT_EQ(link.regs.PC, 0xE000);
}

} // namespace
