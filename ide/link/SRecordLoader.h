// The download: puts an S-record file (.s19) into the target. It erases the
// program area ($E000-$FFFF), programs every valid "S1" record through the
// access layer's Programm and takes the PC from the reset vector. The same
// steps fill the memory image in simulator mode and program the flash on a
// board. The progress dialog follows it through DownloadProgress.
//
// What the caller does afterwards when result.downloadOK is set (the window
// side): status bar panel 2 = "Program: " + file name, clear the breakpoint
// table, InCPU, open and refresh the debugger windows.
#pragma once

#include "link/AccessLayer.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zelk {

// The download dialog's side. Every method has a do-nothing default.
class DownloadProgress {
public:
    virtual ~DownloadProgress() = default;
    // After each line is read: (bytes of the file consumed * 100) / length.
    virtual void progress(int /*percent*/) {}
    // Before each valid record is programmed: the dialog's two labels,
    // "Address = $E000" and "16 bytes" ("1 byte" for a single byte).
    virtual void record(const std::string& /*addressText*/, const std::string& /*sizeText*/) {}
    // After each line: lets pending window messages run and answers whether
    // the user cancelled (Cancel stops after the current record).
    virtual bool cancelRequested() { return false; }
};

struct DownloadResult {
    bool opened = false;      // the file could be read
    bool erased = false;      // the erase left the link ready
    bool downloadOK = false;  // at least one record was programmed (cleared by Cancel)
    bool cancelled = false;
    int records = 0;          // valid S1 records programmed
    int skipped = 0;          // S1 lines skipped as malformed or with a bad checksum
    int32_t bytes = 0;        // data bytes programmed
    bool resetVector = false; // the records programmed covered both bytes of $FFFE-$FFFF
};

// "Address = $" + four hex digits; n + " bytes", singular for one.
std::string downloadAddressText(int32_t address);
std::string downloadSizeText(int count);

// Downloads the file at path. An unreadable file shows its error
// description + " !" under "Tarvine - Read Error" and changes nothing; a link
// lost at the erase shows "Can't Write to Memory !" under "Tarvine - Download
// Error". Lines end at LF, CR LF or a lone CR. Non-"S1" lines are skipped
// silently; so are bad records, which result.skipped counts (a record
// followed by more than blanks on its line is bad: it would hide what
// follows). Afterwards the PC (link.regs.PC) is read from the reset vector
// $FFFE-$FFFF.
DownloadResult DownloadFile(AccessLayer& link, const std::string& path, DownloadProgress* progress = nullptr);

// The same for S-record text already in memory (the file's content).
DownloadResult DownloadText(AccessLayer& link, std::string_view content, DownloadProgress* progress = nullptr);

// After a download that skipped bad S1 records: tells the user how many were
// not loaded ("Tarvine - Download Error"), so that a partly loaded program
// is not taken for a complete one. Nothing when none was skipped.
void reportSkippedRecords(AccessLayer& link, const DownloadResult& result);

} // namespace zelk
