// The cycle profile in the IDE: the Debug menu's "Cycle Profile" switch (on:
// the clock counter starts from zero with an empty profile), the hottest
// addresses window (frmProfile: the ten addresses with the most cycles, with
// their labels) and the CSV export.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QTableWidget;

namespace zelk {

class frmMain;

class frmProfile : public QDialog {
    Q_OBJECT
public:
    static constexpr int Rows = 10;

    explicit frmProfile(frmMain& m, QWidget* parent = nullptr);
    // The open window, or null.
    static frmProfile* instance();

    // Fills the table from the profile now.
    void fill();
    QTableWidget* table() const { return table_; }

private:
    frmMain& main_;
    QTableWidget* table_ = nullptr;
    QLabel* total_ = nullptr;
};

// Debug > Cycle Profile: switches profiling on (the counter reset with it)
// or off (the counts dropped), then the windows that show it follow.
void setProfiling(frmMain& m, bool on);
// Debug > Hottest Addresses: opens (or raises) the window.
void mnuDebugHottest(frmMain& m);
// Debug > Export Profile: asks for a file and writes the profile's CSV to it.
void mnuDebugExportProfile(frmMain& m);
// Writes the CSV to `path` atomically (a failed write keeps the old file);
// on failure shows "Tarvine - Write Error" and returns false.
bool exportProfile(frmMain& m, const QString& path);

inline constexpr const char* ProfileCsvFilter = "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*";
inline constexpr const char* ExportProfileTitle = "Export Profile";
inline constexpr const char* HottestCaption = "Hottest Addresses";

} // namespace zelk
