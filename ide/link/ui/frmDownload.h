// The Download command and its progress dialog (frmDownload, "Download"):
// when the dialog first becomes active it erases the program area, programs
// every valid S1 record of the download file through the access layer (the
// simulator's image or the board, whichever the mode says), takes the PC
// from the reset vector and closes; after a successful download the
// breakpoints are cleared and the debugger windows opened.
#pragma once

#include "link/SRecordLoader.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace zelk {

class frmMain;

class frmDownload : public QDialog {
    Q_OBJECT
public:
    frmDownload(frmMain& m, const QString& fileName);

    QLabel* lbDown = nullptr;
    QLabel* lbAddress = nullptr;
    QLabel* lbSize = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QPushButton* cmdCancel = nullptr;

    // The work, run once when the dialog is first shown.
    void download();
    void cmdCancelClick();
    const DownloadResult& result() const { return result_; }

    // Runs after each record is programmed (tests press Cancel here).
    static inline std::function<void(frmDownload&)> recordHook;

protected:
    void showEvent(QShowEvent* e) override;
    void reject() override;

private:
    friend class DownloadDialogProgress;
    frmMain& main_;
    QString fileName_;
    bool started_ = false;
    bool cancel_ = false;
    bool running_ = false;
    DownloadResult result_;
};

// mnuFileDownload: the file dialog while no download file is known (or it
// is gone), then the dialog. FileDownload (toolbar): the dialog only when
// the known file exists.
void mnuFileDownload(frmMain& m);
void FileDownload(frmMain& m);
// The dialog over the main window, then the debugger windows (step 8).
void runDownload(frmMain& m, const QString& fileName);

inline constexpr const char* DownloadDialogFilter = "Machine Code (*.s19)|*.s19|All Files (*.*)|*.*";

} // namespace zelk
