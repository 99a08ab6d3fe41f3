// The error list window (frmError): the lines of the assembler's error
// listing that carry a source line number, with "Show Error" to put the
// caret on that line in the source's editor (opening the source when no
// editor holds it). Its caption is the error listing's title.
#pragma once

#include "editor/ErrorList.h"

#include <QDialog>

#include <vector>

class QListWidget;
class QPushButton;

namespace zelk {

class frmMain;

class frmError : public QDialog {
    Q_OBJECT
public:
    explicit frmError(frmMain& m);

    // Fills the list from the error listing at `path` and shows the window
    // (brought to the front when it is already shown). False when the file
    // could not be read ("Tarvine - Read Error").
    bool ErrorShow(const QString& path);
    // Show Error on the selected entry.
    void cmdShowClick();

    QListWidget* List = nullptr;
    QPushButton* cmdShow = nullptr;
    QPushButton* cmdClose = nullptr;
    // The line number of each list entry, in list order.
    const std::vector<int32_t>& lineNumbers() const { return lines_; }

    // The window while it is open, or null.
    static frmError* instance();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    frmMain& main_;
    std::vector<int32_t> lines_;
};

} // namespace zelk
