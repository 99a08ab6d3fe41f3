// The nine register windows: one widget class, registered once per window of
// the register catalogue.
#include "views/ui/frmRegisters.h"

#include "link/Conversions.h"
#include "shell/Settings.h"
#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"
#include "views/ui/AutoRefresh.h"
#include "views/ui/frmEnterVal.h"
#include "views/ui/ValueListView.h"
#include "views/ui/ViewPopupMenu.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zelk {

std::function<void(QWidget*, DialogFields&)> frmRegisters::enterValue = [](QWidget* owner, DialogFields& f) {
    frmEnterVal dlg(f, owner);
    dlg.setHelpContext(193);
    dlg.exec();
};

namespace {

// Changed values stand out in this colour until the next redraw of new data.
const QColor kChangedColour(0xC0, 0x00, 0x00);

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The tool tip of a row: where the register lives, its width, whether it
// can be edited, and the names of its bits from bit 7 down.
QString rowTip(const RegisterInfo& r)
{
    QString tip = qs(r.name);
    if (r.address >= 0 && r.window != RegisterWindow::CPU)
        tip += QStringLiteral("  $") + qs(HexPad(r.address, 4));
    tip += r.isWord ? QStringLiteral("  (16 bits)") : QStringLiteral("  (8 bits)");
    if (r.readOnly())
        tip += QStringLiteral("  read only");
    if (!r.bitNames.empty())
        tip += QStringLiteral("\nbits 7..0: ") + qs(r.bitNames);
    return tip;
}

} // namespace

frmRegisters::frmRegisters(frmMain& m, RegisterWindow window, QWidget* parent)
    : QWidget(parent), main_(m), view_(window)
{
    const RegisterWindowInfo& info = view_.info();
    setObjectName(qs(info.form));
    setWindowTitle(qs(info.caption));
    setProperty("helpContext", 95);
    if (info.source == RegisterSource::PiaImage)
        piaImage_.assign(static_cast<size_t>(PiaSize), 0);

    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    ListView = new ValueListView;
    ListView->onPopup = [this](int row, const QPoint& globalPos) { showPopup(row, globalPos); };
    ListView->onEnter = [this] { mnuEnter(); };
    // The catalogue's width, widened when a name would not fit this font.
    const QFontMetrics nameMetrics(ListView->font());
    int nameWidth = twipsToPixels(info.nameColumnTwips);
    for (const RegisterInfo& r : registersOf(window))
        nameWidth = std::max(nameWidth, nameMetrics.horizontalAdvance(qs(r.name)) + nameMetrics.horizontalAdvance(
                                                                                      QStringLiteral("00")));
    ListView->setColumnWidth(0, nameWidth);
    ListView->setColumnWidth(1, 0);
    lay->addWidget(ListView);

    for (int i = 0; i < view_.rowCount(); ++i) {
        const RegisterInfo& r = view_.row(i);
        auto* it = new QTreeWidgetItem(ListView);
        it->setText(0, qs(r.name));
        it->setToolTip(0, rowTip(r));
        it->setToolTip(1, rowTip(r));
    }
    lastValues_.assign(static_cast<size_t>(view_.rowCount()), -1);
    changed_.assign(static_cast<size_t>(view_.rowCount()), false);
    resize(twipsToPixels(2600), twipsToPixels(300 + 240 * view_.rowCount()));

    mnuRefresh();

    connect(m.mdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        // A null subwindow means the main window lost the focus: no change.
        if (sub)
            activated(sub->widget() == this);
    });
}

void frmRegisters::activated(bool on)
{
    const bool wasActive = active_;
    active_ = on;
    if (view_.info().hasAutoRefresh)
        followActivation(main_, this, on, wasActive, [this] { return active_ && view_.autoRefreshOn(); });
}

std::span<const uint8_t> frmRegisters::image() const
{
    switch (view_.info().source) {
    case RegisterSource::RegisterImage:
        return main_.access().registerImage;
    case RegisterSource::PiaImage:
        return piaImage_;
    case RegisterSource::CpuRecord:
        break;
    }
    return {};
}

int frmRegisters::selectedRow() const { return ListView->selectedRow(); }
void frmRegisters::selectRow(int row) { ListView->selectRow(row); }
int frmRegisters::valueColumnWidth() const { return ListView->valueColumnWidth(); }

bool frmRegisters::changed(int row) const
{
    return row >= 0 && row < static_cast<int>(changed_.size()) && changed_[static_cast<size_t>(row)];
}

void frmRegisters::mnuRefresh()
{
    AccessLayer& access = main_.access();
    bool ok = false;
    if (view_.info().source == RegisterSource::CpuRecord) {
        access.InCPU();
        ok = view_.refreshed(access.linkReady());
    } else {
        main_.tmrRefresh()->stop();
        AccessPort port(access);
        std::span<uint8_t> dest = view_.info().source == RegisterSource::PiaImage
                                      ? std::span<uint8_t>(piaImage_)
                                      : std::span<uint8_t>(access.registerImage);
        ok = view_.refreshImage(port, dest);
    }
    if (ok)
        Redraw();
    else
        ClearScreen();
    if (view_.autoRefreshOn())
        main_.tmrRefresh()->start();
}

void frmRegisters::Redraw() { redraw(true); }

void frmRegisters::redraw(bool newData)
{
    const CpuRegisters& cpu = main_.access().regs;
    const std::span<const uint8_t> img = image();
    const QFontMetrics fm(ListView->font());
    int width = 0;
    for (int i = 0; i < view_.rowCount(); ++i) {
        QTreeWidgetItem* it = ListView->topLevelItem(i);
        const RegisterInfo& r = view_.row(i);
        const int32_t value = registerValue(r, cpu, img);
        const QString text = qs(registerValueText(r, value, view_.format(i)));
        if (it->text(1) != text)
            it->setText(1, text);
        const size_t k = static_cast<size_t>(i);
        if (newData) {
            const bool now = lastValues_[k] >= 0 && lastValues_[k] != value;
            lastValues_[k] = value;
            if (now != changed_[k]) {
                changed_[k] = now;
                it->setForeground(1, now ? QBrush(kChangedColour) : QBrush());
                QFont f = ListView->font();
                f.setBold(now);
                it->setFont(1, f);
            }
        }
        width = std::max(width, fm.horizontalAdvance(text));
    }
    // Room for a bold changed value and a margin on either side.
    const int column = width + fm.horizontalAdvance(QStringLiteral("00"));
    if (ListView->columnWidth(1) != column)
        ListView->setColumnWidth(1, column);
}

void frmRegisters::ClearScreen()
{
    for (int i = 0; i < view_.rowCount(); ++i) {
        QTreeWidgetItem* it = ListView->topLevelItem(i);
        if (!it->text(1).isEmpty())
            it->setText(1, QString());
        const size_t k = static_cast<size_t>(i);
        lastValues_[k] = -1;
        if (changed_[k]) {
            changed_[k] = false;
            it->setForeground(1, QBrush());
            it->setFont(1, ListView->font());
        }
    }
    ListView->setColumnWidth(1, 0);
}

void frmRegisters::setFormat(char format)
{
    const int i = selectedRow();
    if (!view_.formatItemsEnabled(i))
        return;
    view_.setFormat(i, format);
    if (valueColumnWidth() > 0)
        redraw(false);
}

void frmRegisters::mnuViewHex() { setFormat('$'); }
void frmRegisters::mnuViewBin() { setFormat('%'); }
void frmRegisters::mnuViewDec() { setFormat(' '); }

void frmRegisters::mnuEnter()
{
    if (valueColumnWidth() == 0)
        return;
    const int i = selectedRow();
    if (!view_.canEdit(i))
        return;
    DialogFields f;
    f.DialogOK = false;
    f.DialogName = std::string(view_.row(i).name);
    f.DialogText = view_.dialogText(i, main_.access().regs, image());
    f.DialogIsWord = view_.row(i).isWord;
    const bool timerWasOn = main_.tmrRefresh()->isActive();
    main_.tmrRefresh()->stop();
    enterValue(this, f);
    if (!f.DialogOK) {
        if (timerWasOn)
            main_.tmrRefresh()->start();
        return;
    }
    AccessLayer& access = main_.access();
    AccessPort port(access);
    applyRegisterEdit(registerEdit(view_.row(i), f.DialogValue), port, access.regs);
    if (access.linkReady()) {
        main_.Refresh();
        // The refresh cycle reaches this window only through its View item;
        // a window shown without one still shows the new value.
        if (!main_.isShown(qs(view_.info().viewMenuItem)))
            mnuRefresh();
    } else {
        view_.refreshed(false);
        ClearScreen();
    }
    if (view_.autoRefreshOn())
        main_.tmrRefresh()->start();
}

void frmRegisters::mnuAutoRefresh()
{
    if (!view_.info().hasAutoRefresh)
        return;
    if (view_.toggleAutoRefresh())
        main_.tmrRefresh()->start();
    else
        main_.tmrRefresh()->stop();
}

QMenu* frmRegisters::buildPopup(int hitRow)
{
    delete popup_;
    setFocus();
    const ViewPopupState s = view_.popupState(hitRow, valueColumnWidth() > 0);
    if (s.selectRow >= 0)
        selectRow(s.selectRow);

    ViewPopupHandlers h = viewPopupHandlers(this);
    popup_ = buildViewPopup(this, s, h);
    main_.SetRegistersHelp();
    return popup_;
}

void frmRegisters::showPopup(int hitRow, const QPoint& globalPos)
{
    QMenu* menu = buildPopup(hitRow);
    QTimer* t = main_.tmrRefresh();
    t->stop();
    menu->exec(globalPos);
    if (view_.autoRefreshOn())
        t->start();
}

// ---- Registration: one View item per window of the catalogue --------------------

namespace {

struct RegisterWindowRegistrar {
    RegisterWindowRegistrar()
    {
        for (const RegisterWindowInfo& w : registerWindows()) {
            const RegisterWindow which = w.window;
            ViewRegistry::add(ViewInfo{qs(w.form), qs(w.viewMenuItem), qs(w.placementPrefix),
                                       [which](frmMain& m) -> QWidget* { return new frmRegisters(m, which); },
                                       {}});
        }
    }
};
const RegisterWindowRegistrar registrar;

} // namespace

} // namespace zelk
