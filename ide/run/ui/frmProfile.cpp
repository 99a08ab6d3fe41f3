// The cycle profile's commands and its hottest addresses window.
#include "run/ui/frmProfile.h"

#include "editor/ui/ProgramSymbols.h"
#include "editor/ui/frmEditor.h"
#include "link/FileOutput.h"
#include "run/CycleProfile.h"
#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zelk {

namespace {

QPointer<frmProfile>& openProfile()
{
    static QPointer<frmProfile> p;
    return p;
}

void redrawDisassembler(frmMain& m)
{
    if (m.isShown(QStringLiteral("mnuViewDisassembler")))
        if (DebugView* d = m.view(QStringLiteral("mnuViewDisassembler")))
            d->Redraw();
}

void profileChanged(frmMain& m)
{
    const bool on = m.run().profile.enabled();
    m.setCommandEnabled(QStringLiteral("mnuDebugHottest"), on);
    m.setCommandEnabled(QStringLiteral("mnuDebugExportProfile"), on);
    if (QAction* a = m.menuItem(QStringLiteral("mnuDebugProfile")))
        a->setChecked(on);
    redrawDisassembler(m);
    if (frmProfile* p = frmProfile::instance())
        p->fill();
}

QTableWidgetItem* cell(const QString& text, bool right)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (right)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

frmProfile::frmProfile(frmMain& m, QWidget* parent) : QDialog(parent ? parent : &m), main_(m)
{
    setObjectName(QStringLiteral("frmProfile"));
    setWindowTitle(QString::fromLatin1(HottestCaption));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* lay = new QVBoxLayout(this);
    table_ = new QTableWidget(0, 5, this);
    table_->setObjectName(QStringLiteral("tblHottest"));
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Address"), QStringLiteral("Label"), QStringLiteral("Executed"), QStringLiteral("Cycles"),
         QStringLiteral("% Cycles")});
    table_->verticalHeader()->setVisible(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setStretchLastSection(true);
    lay->addWidget(table_);
    total_ = new QLabel(this);
    total_->setObjectName(QStringLiteral("lblTotal"));
    lay->addWidget(total_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* refresh = buttons->addButton(QStringLiteral("&Refresh"), QDialogButtonBox::ActionRole);
    refresh->setObjectName(QStringLiteral("cmdRefresh"));
    QPushButton* exportButton = buttons->addButton(QStringLiteral("&Export ..."), QDialogButtonBox::ActionRole);
    exportButton->setObjectName(QStringLiteral("cmdExport"));
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("cmdClose"));
    lay->addWidget(buttons);
    connect(refresh, &QPushButton::clicked, this, &frmProfile::fill);
    connect(exportButton, &QPushButton::clicked, this, [this] { mnuDebugExportProfile(main_); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    resize(520, 360);
    openProfile() = this;
    fill();
}

frmProfile* frmProfile::instance() { return openProfile().data(); }

void frmProfile::fill()
{
    const CycleProfile& p = main_.run().profile;
    const std::vector<ProfileEntry> top = p.hottest(Rows);
    const uint64_t total = p.totalCycles();
    table_->setRowCount(static_cast<int>(top.size()));
    const SymbolTable& labels = programSymbols();
    for (int r = 0; r < static_cast<int>(top.size()); ++r) {
        const ProfileEntry& e = top[static_cast<size_t>(r)];
        table_->setItem(r, 0, cell(QStringLiteral("$%1").arg(e.address, 4, 16, QLatin1Char('0')).toUpper(), false));
        table_->setItem(r, 1, cell(QString::fromStdString(labelAt(labels, e.address)), false));
        table_->setItem(r, 2, cell(QString::number(e.executed), true));
        table_->setItem(r, 3, cell(QString::number(e.cycles), true));
        const double share = total ? 100.0 * static_cast<double>(e.cycles) / static_cast<double>(total) : 0.0;
        table_->setItem(r, 4, cell(QString::number(share, 'f', 1), true));
    }
    table_->resizeColumnsToContents();
    if (!p.enabled())
        total_->setText(QStringLiteral("The cycle profile is off (Debug > Cycle Profile)."));
    else
        total_->setText(QStringLiteral("%1 instructions, %2 cycles since the counter was reset")
                            .arg(p.totalExecuted())
                            .arg(total));
}

void setProfiling(frmMain& m, bool on)
{
    ExecutionControl& run = m.run();
    if (on != run.profile.enabled()) {
        run.profile.setEnabled(on);
        // The profile counts from zero together with the clock counter, so
        // that its sum is the counter.
        if (on) {
            run.resetClock();
            m.ClockCountUpdate();
        }
    }
    profileChanged(m);
}

void mnuDebugHottest(frmMain& m)
{
    frmProfile* p = frmProfile::instance();
    if (!p)
        p = new frmProfile(m);
    else
        p->fill();
    p->show();
    p->raise();
    p->activateWindow();
}

bool exportProfile(frmMain& m, const QString& path)
{
    const std::string text = m.run().profile.csv(&programSymbols());
    // Written like every other user file: wholly or not at all, an old file
    // of that name left intact when the disk is full or the folder read-only.
    const QString error = QString::fromStdString(
        writeFileAtomically(std::filesystem::path(QFile::encodeName(path).toStdString()), text));
    if (!error.isEmpty()) {
        m.message("Tarvine - Write Error", (error + QStringLiteral(" !")).toStdString(), MessageIcon::Exclamation);
        return false;
    }
    m.say(QStringLiteral("Profile written to %1").arg(path));
    return true;
}

void mnuDebugExportProfile(frmMain& m)
{
    if (!m.run().profile.enabled())
        return;
    int index = 1;
    const QString path = EditorPrompts::fileDialog(&m, QString::fromLatin1(ExportProfileTitle),
                                                   QString::fromLatin1(ProfileCsvFilter), index,
                                                   QStringLiteral("profile.csv"), true);
    if (!path.isEmpty())
        exportProfile(m, path);
}

namespace {

void installProfileCommands(frmMain& m)
{
    frmMain* mp = &m;
    m.setCommand(QStringLiteral("mnuDebugProfile"), [mp] {
        QAction* a = mp->menuItem(QStringLiteral("mnuDebugProfile"));
        setProfiling(*mp, a && a->isChecked());
    });
    m.setCommand(QStringLiteral("mnuDebugHottest"), [mp] { mnuDebugHottest(*mp); });
    m.setCommand(QStringLiteral("mnuDebugExportProfile"), [mp] { mnuDebugExportProfile(*mp); });
    // Reset counter empties the profile too: its views follow.
    m.setCommand(QStringLiteral("mnuDebugResetCounter"), [mp] {
        mp->run().ResetCounter();
        if (mp->run().profile.enabled())
            profileChanged(*mp);
    });
}

} // namespace

ZELK_REGISTER_EXTENSION(profileCommands, installProfileCommands);

} // namespace zelk
