// The download of S-record files (see SRecordLoader.h).
#include "link/SRecordLoader.h"

#include "link/Conversions.h"
#include "link/FileInput.h"
#include "link/SRecord.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace zelk {

std::string downloadAddressText(int32_t address)
{
    return "Address = $" + HexPad(address & 0xFFFF, 4);
}

std::string downloadSizeText(int count)
{
    std::string text = std::to_string(count) + " bytes";
    if (count == 1)
        text.pop_back();
    return text;
}

DownloadResult DownloadText(AccessLayer& link, std::string_view content, DownloadProgress* progress)
{
    DownloadProgress none;
    DownloadProgress& p = progress ? *progress : none;
    DownloadResult result;
    result.opened = true;
    p.progress(0);

    link.FlashErase();
    if (!link.linkReady()) {
        link.notifier().message("Tarvine - Download Error", "Can't Write to Memory !", MessageIcon::Exclamation);
        return result;
    }
    result.erased = true;

    const size_t length = content.size();
    size_t pos = 0;
    SRecord rec;
    bool vectorHigh = false, vectorLow = false;
    while (pos < length) {
        // A line ends at LF, CR LF or a lone CR: files written with any of
        // the three conventions hold one record per line.
        size_t end = content.find_first_of("\r\n", pos);
        size_t next = length;
        if (end == std::string_view::npos) {
            end = length;
        } else {
            next = end + 1;
            if (content[end] == '\r' && next < length && content[next] == '\n')
                ++next;
        }
        const std::string_view line = content.substr(pos, end - pos);
        pos = next;
        p.progress(static_cast<int>(static_cast<uint64_t>(pos) * 100 / length));

        switch (parseS1Record(line, rec)) {
        case SRecordStatus::Valid:
            p.record(downloadAddressText(rec.address), downloadSizeText(rec.count));
            link.Programm(rec.address, rec.data.data(), rec.count);
            if (link.linkReady()) {
                result.downloadOK = true;
                ++result.records;
                result.bytes += rec.count;
                // Programm wraps at the top of memory like the image does.
                vectorHigh = vectorHigh || ((0xFFFE - rec.address) & 0xFFFF) < rec.count;
                vectorLow = vectorLow || ((0xFFFF - rec.address) & 0xFFFF) < rec.count;
            }
            break;
        case SRecordStatus::Malformed:
        case SRecordStatus::BadChecksum:
            ++result.skipped;
            break;
        case SRecordStatus::NotData:
            break;
        }
        if (!link.linkReady())
            break;
        if (p.cancelRequested()) {
            result.cancelled = true;
            result.downloadOK = false;
            break;
        }
    }

    result.resetVector = vectorHigh && vectorLow;
    link.InResetVector(link.regs.PC);
    return result;
}

void reportSkippedRecords(AccessLayer& link, const DownloadResult& result)
{
    if (result.skipped <= 0)
        return;
    const std::string count = std::to_string(result.skipped);
    const std::string text = result.skipped == 1
                                 ? "1 S1 record could not be read and was not loaded !"
                                 : count + " S1 records could not be read and were not loaded !";
    link.notifier().message("Tarvine - Download Error", text, MessageIcon::Exclamation);
}

DownloadResult DownloadFile(AccessLayer& link, const std::string& path, DownloadProgress* progress)
{
    std::string content;
    const std::string error = readFileInput(path, content);
    if (!error.empty()) {
        link.notifier().message("Tarvine - Read Error", error + " !", MessageIcon::Exclamation);
        return {};
    }
    return DownloadText(link, content, progress);
}

} // namespace zelk
