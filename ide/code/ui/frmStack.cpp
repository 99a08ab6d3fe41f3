// The stack window.
#include "code/ui/frmStack.h"

#include "link/Conversions.h"
#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"
#include "views/ui/DialogShared.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QVBoxLayout>

#include <algorithm>

namespace zelk {

namespace {
constexpr int StackRows = RowView::MaxRows;
}

frmStack::frmStack(frmMain& main, QWidget* parent) : QWidget(parent), main_(main)
{
    setObjectName(QStringLiteral("frmStack"));
    setWindowTitle(QStringLiteral("Stack"));
    setProperty("helpContext", 38);
    view_ = new RowView;
    view_->setObjectName(QStringLiteral("rows"));
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(view_);
    setFocusProxy(view_);
    resize(180, 300);
    buildPopup();

    connect(view_, &RowView::resized, this, &frmStack::updateVisibleRows);
    connect(view_, &RowView::rowClicked, this, [this](int row) {
        if (shown_)
            SetCurRow(row);
    });
    connect(view_, &RowView::rowDoubleClicked, this, [this](int row) {
        if (!shown_)
            return;
        SetCurRow(row);
        mnuEnter();
    });
    connect(view_, &RowView::rowRightPressed, this, [this](int row, const QPoint& at) {
        if (shown_)
            SetCurRow(row);
        mnuPopupStackEnter_->setEnabled(currentRow_ > 0);
        mnuPopupStack_->exec(at);
    });
    connect(view_, &RowView::keyPressed, this, [this](int key, Qt::KeyboardModifiers) { onKey(key); });
    connect(main_.mdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        if (w && w == subWindow()) {
            active_ = true;
            SetCurRow(currentRow_);
        } else if (active_) {
            active_ = false;
            ClearMarks();
        }
    });
    ClearScreen();
}

void frmStack::buildPopup()
{
    // The stack's pop-up menu: the main window has none, so the window
    // carries its own with the same names.
    mnuPopupStack_ = new QMenu(QStringLiteral("PopupStack"), this);
    mnuPopupStack_->setObjectName(QStringLiteral("mnuPopupStack"));
    mnuPopupStackEnter_ = mnuPopupStack_->addAction(QStringLiteral("Enter &Value ..."), this, &frmStack::mnuEnter);
    mnuPopupStackEnter_->setObjectName(QStringLiteral("mnuPopupStackEnter"));
    mnuPopupStack_->addSeparator()->setObjectName(QStringLiteral("mnuPopupStackBar1"));
    mnuPopupStack_->addAction(QStringLiteral("Go To &SP Address"), this, &frmStack::mnuGoToSPAddress)
        ->setObjectName(QStringLiteral("mnuPopupStackGoToSPAddress"));
    mnuPopupStack_->addAction(QStringLiteral("Go To &Address ..."), this, &frmStack::mnuGoToAddress)
        ->setObjectName(QStringLiteral("mnuPopupStackGoToAddress"));
    mnuPopupStack_->addAction(QStringLiteral("&Refresh Window"), this, &frmStack::mnuRefresh)
        ->setObjectName(QStringLiteral("mnuPopupStackRefresh"));
}

QMdiSubWindow* frmStack::subWindow() const { return qobject_cast<QMdiSubWindow*>(parentWidget()); }

bool frmStack::isActiveChild() const
{
    QMdiSubWindow* sub = subWindow();
    return sub && main_.mdiArea()->activeSubWindow() == sub;
}

void frmStack::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (loaded_)
        return;
    loaded_ = true;
    updateVisibleRows();
    ClearScreen();
    mnuGoToSPAddress();
    active_ = isActiveChild();
}

void frmStack::updateVisibleRows()
{
    visibleRows_ = view_->visibleRows();
    if (currentRow_ > visibleRows_)
        SetCurRow(visibleRows_);
}

// ---- Drawing -----------------------------------------------------------------------

void frmStack::ClearScreen()
{
    shown_ = false;
    currentRow_ = 0;
    highlight_ = false;
    drawnSp_ = -1;
    for (int r = 1; r <= StackRows; ++r)
        view_->setRow(r, QString(), RowView::Colour::Plain, false);
}

void frmStack::ClearMarks()
{
    highlight_ = false;
    applyRows();
}

void frmStack::Redraw()
{
    shown_ = true;
    applyRows();
}

void frmStack::applyRows()
{
    if (!shown_)
        return;
    const int32_t sp = main_.access().regs.SP & 0xFFFF;
    drawnSp_ = sp;
    for (int r = 1; r <= StackRows; ++r) {
        const int32_t a = (stackTop_ + r - 1) & 0xFFFF;
        const uint8_t b = static_cast<size_t>(r - 1) < bytes_.size() ? bytes_[static_cast<size_t>(r - 1)] : 0;
        const QString text = QStringLiteral(" $%1:   $%2")
                                 .arg(a, 4, 16, QLatin1Char('0'))
                                 .arg(b, 2, 16, QLatin1Char('0'))
                                 .toUpper();
        const bool cur = highlight_ && r == currentRow_;
        view_->setRow(r, text, cur ? RowView::Colour::Current : RowView::Colour::Plain, a == sp);
    }
}

void frmStack::SetCurRow(int row)
{
    currentRow_ = std::clamp(row, 0, visibleRows_);
    highlight_ = currentRow_ > 0 && isActiveChild();
    applyRows();
}

bool frmStack::reload()
{
    AccessLayer& link = main_.access();
    busy_ = true;
    std::vector<uint8_t> fresh;
    link.InBytes(stackTop_, fresh, StackRows);
    busy_ = false;
    if (!link.linkReady() || fresh.size() != static_cast<size_t>(StackRows)) {
        ClearScreen();
        return false;
    }
    bytes_ = std::move(fresh);
    Redraw();
    return true;
}

// ---- Commands ----------------------------------------------------------------------

void frmStack::mnuRefresh()
{
    if (!shown_) {
        // Nothing drawn yet (no target at load): start at SP.
        mnuGoToSPAddress();
        return;
    }
    const int keep = currentRow_;
    // A page that showed SP keeps showing it: when SP has left the visible
    // rows (a push past the top, a pop past the bottom, a new SP), the page
    // follows it as Go To SP does. A page the user moved away from SP stays.
    const bool showedSp = visibleRowOf(drawnSp_) > 0;
    if (!reload())
        return;
    const int32_t sp = main_.access().regs.SP & 0xFFFF;
    if (showedSp && visibleRowOf(sp) == 0) {
        const int row = std::max(1, keep);
        stackTop_ = (sp - row + 1) & 0xFFFF;
        if (reload())
            SetCurRow(row);
        return;
    }
    SetCurRow(keep);
}

int frmStack::visibleRowOf(int32_t address) const
{
    if (address < 0)
        return 0;
    for (int r = 1; r <= visibleRows_; ++r)
        if (((stackTop_ + r - 1) & 0xFFFF) == (address & 0xFFFF))
            return r;
    return 0;
}

void frmStack::mnuGoToSPAddress()
{
    AccessLayer& link = main_.access();
    if (!link.linkReady() && !link.FindBoard()) {
        ClearScreen();
        return;
    }
    const int32_t sp = link.regs.SP & 0xFFFF;
    if (currentRow_ > 0 && shown_) {
        for (int r = 1; r <= visibleRows_; ++r)
            if (((stackTop_ + r - 1) & 0xFFFF) == sp) {
                Redraw();
                SetCurRow(r);
                return;
            }
    }
    // SP lands on the current row (row 1 when there is none yet).
    const int row = std::max(1, currentRow_);
    stackTop_ = (sp - row + 1) & 0xFFFF;
    if (reload())
        SetCurRow(row);
}

void frmStack::goToAddress(int32_t address)
{
    stackTop_ = address & 0xFFFF;
    if (reload())
        SetCurRow(1);
}

void frmStack::mnuGoToAddress()
{
    int32_t address = 0;
    if (GoToAddress(this, address, 192))
        goToAddress(address);
}

void frmStack::mnuEnter()
{
    if (currentRow_ == 0 || !shown_)
        return;
    const QString text = view_->text(currentRow_);
    // " $00FE:   $12": the address is characters 2-6, the value 11-13.
    const QString name = text.mid(1, 5);
    const QString value = text.mid(10, 3);
    int32_t entered = 0;
    if (!EnterValue(this, name, value, false, entered, 193))
        return;
    enterValue(entered);
}

void frmStack::enterValue(int32_t value)
{
    if (currentRow_ == 0 || !shown_)
        return;
    const int32_t address = HexToLong(view_->text(currentRow_).mid(2, 4).toStdString()) & 0xFFFF;
    AccessLayer& link = main_.access();
    link.OutByte(address, static_cast<uint8_t>(value & 0xFF));
    if (!link.linkReady()) {
        ClearScreen();
        return;
    }
    // The main window's refresh redraws this window with the new byte (and
    // the others that may show it). When the cycle does not cover this
    // window (its View item not checked yet), reload it here.
    if (main_.isShown(QStringLiteral("mnuViewStack")))
        main_.Refresh();
    else
        mnuRefresh();
}

// ---- Keyboard ----------------------------------------------------------------------

void frmStack::onKey(int key)
{
    switch (key) {
    case Qt::Key_Up: keyUp(); break;
    case Qt::Key_Down: keyDown(); break;
    case Qt::Key_PageUp: keyPageUp(); break;
    case Qt::Key_PageDown: keyPageDown(); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (currentRow_ > 0 && !busy_)
            mnuEnter();
        break;
    default: break;
    }
}

void frmStack::moveTop(int32_t delta)
{
    const int keep = currentRow_;
    stackTop_ = (stackTop_ + delta) & 0xFFFF;
    if (reload())
        SetCurRow(keep);
}

void frmStack::keyUp()
{
    if (currentRow_ == 0 || busy_ || !shown_)
        return;
    if (currentRow_ > 1)
        SetCurRow(currentRow_ - 1);
    else
        moveTop(-1);
}

void frmStack::keyDown()
{
    if (currentRow_ == 0 || busy_ || !shown_)
        return;
    if (currentRow_ < visibleRows_)
        SetCurRow(currentRow_ + 1);
    else
        moveTop(1);
}

void frmStack::keyPageUp()
{
    if (currentRow_ > 0 && !busy_ && shown_)
        moveTop(-visibleRows_);
}

void frmStack::keyPageDown()
{
    if (currentRow_ > 0 && !busy_ && shown_)
        moveTop(visibleRows_);
}

ZELK_REGISTER_VIEW(frmStack, "mnuViewStack", "Stack", [](frmMain& m) -> QWidget* { return new frmStack(m); });

} // namespace zelk
