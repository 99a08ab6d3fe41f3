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
    while (pos < length) {
        size_t end = content.find('\n', pos);
        end = (end == std::string_view::npos) ? length : end + 1;
        const std::string_view line = content.substr(pos, end - pos);
        pos = end;
        p.progress(static_cast<int>(static_cast<uint64_t>(pos) * 100 / length));

        switch (parseS1Record(line, rec)) {
        case SRecordStatus::Valid:
            p.record(downloadAddressText(rec.address), downloadSizeText(rec.count));
            link.Programm(rec.address, rec.data.data(), rec.count);
            if (link.linkReady()) {
                result.downloadOK = true;
                ++result.records;
                result.bytes += rec.count;
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

    link.InResetVector(link.regs.PC);
    return result;
}

DownloadResult DownloadFile(AccessLayer& link, const std::string& path, DownloadProgress* progress)
{
    std::ifstream in;
    std::string error = openFileInput(path, in);
    std::string content;
    if (error.empty()) {
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad())
            error = std::strerror(errno ? errno : EIO);
    }
    if (!error.empty()) {
        link.notifier().message("Tarvine - Read Error", error + " !", MessageIcon::Exclamation);
        return {};
    }
    return DownloadText(link, content, progress);
}

} // namespace zelk
