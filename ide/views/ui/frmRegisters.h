// The register windows (frmRegCPU, frmRegPorts, frmRegTimer, frmRegPA,
// frmRegSCI, frmRegSPI, frmRegAD, frmRegOther, frmRegPIA): one class driven
// by the register catalogue. Each is a two-column list of register name and
// value; per row the value shows in hex, binary or decimal, is edited through
// the Enter Value dialog and written through the access layer. A value that
// changed since the previous redraw is shown highlighted. All windows but
// the CPU window can refresh themselves on tmrRefresh while they are active.
#pragma once

#include "shell/DebugView.h"
#include "views/RegisterView.h"
#include "views/ValueDialogs.h"
#include "views/ui/ValueListView.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

class QMenu;

namespace zelk {

class frmMain;

class frmRegisters : public QWidget, public DebugView {
    Q_OBJECT
public:
    frmRegisters(frmMain& m, RegisterWindow window, QWidget* parent = nullptr);

    // The Enter Value dialog the windows open: DialogName, DialogText and
    // DialogIsWord in; DialogOK and DialogValue out. Tests replace it.
    static std::function<void(QWidget* owner, DialogFields& f)> enterValue;

    // The refresh contract.
    void mnuRefresh() override;
    void Redraw() override;
    void ClearScreen() override;

    // The row commands of the view popup (act on the selected row).
    void mnuViewHex();
    void mnuViewBin();
    void mnuViewDec();
    void mnuEnter();
    void mnuAutoRefresh();

    const RegisterView& view() const { return view_; }
    QTreeWidget* list() const { return ListView; }
    int selectedRow() const;
    void selectRow(int row);
    // The value column's width; 0 is the no-data state.
    int valueColumnWidth() const;
    bool autoRefreshOn() const override { return view_.autoRefreshOn(); }
    // Whether the row's value changed at the last redraw of new data.
    bool changed(int row) const;
    // Builds the popup for a right click on `hitRow` (-1: none) as the user
    // would see it; the caller shows or inspects it.
    QMenu* buildPopup(int hitRow);
    // Shows the popup at a global position (stops tmrRefresh meanwhile).
    void showPopup(int hitRow, const QPoint& globalPos);

private:
    void setFormat(char format);
    void redraw(bool newData);
    void activated(bool on);
    std::span<const uint8_t> image() const;

    frmMain& main_;
    RegisterView view_;
    ValueListView* ListView = nullptr;
    QMenu* popup_ = nullptr;
    std::vector<uint8_t> piaImage_;
    bool active_ = false;  // the active child window of the main window
    // Values at the last redraw (-1: none yet) and which rows changed then.
    std::vector<int32_t> lastValues_;
    std::vector<bool> changed_;
};

} // namespace zelk
