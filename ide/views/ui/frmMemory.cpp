// The memory window: grid, scroll bar, in-place byte editor and address tip.
#include "views/ui/frmMemory.h"

#include "link/Conversions.h"
#include "shell/Settings.h"
#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"
#include "views/ui/frmMemAdr.h"

#include <QAction>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace zelk {

using namespace memgrid;

std::function<void(QWidget*, DialogFields&)> frmMemory::memoryAddress = [](QWidget* owner, DialogFields& f) {
    frmMemAdr dlg(f, owner);
    dlg.exec();
};

namespace {

// Column widths in twips: address, spacer, 16 hex bytes, spacer, 16
// characters; the last two columns are one pixel wide.
constexpr int kAddressTwips = 930;
constexpr int kSpacerTwips = 300;
constexpr int kHexTwips = 330;
constexpr int kCharTwips = 195;
constexpr int kRowTwips = 210;

QFont gridFont()
{
    QFont f(QStringLiteral("Courier New"), 10);
    if (!QFontDatabase::families().contains(f.family(), Qt::CaseInsensitive)) {
        f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        f.setPointSize(10);
    }
    return f;
}

QString headerText(int column)
{
    if (column == AddressColumn)
        return QStringLiteral("Address");
    if (isHexColumn(column))
        return QString::fromStdString(HexPad(column - FirstHex, 2));
    if (isCharColumn(column))
        return QString::fromStdString(HexPad(column - FirstChar, 1));
    return column == ColumnCount - 1 ? QString() : QStringLiteral(" ");
}

// The grid hands keys and mouse presses to the window, which moves the
// cursor by the memory window's own rules.
class MemoryGrid : public QTableWidget {
public:
    explicit MemoryGrid(frmMemory& w) : w_(w) {}

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (!w_.gridKey(e->key(), e->modifiers()))
            e->ignore();
    }
    bool focusNextPrevChild(bool) override { return false; }  // Tab moves the cursor
    void mousePressEvent(QMouseEvent* e) override
    {
        setFocus();
        w_.gridPressed(e->pos(), e->button(), e->globalPosition().toPoint());
    }
    void mouseMoveEvent(QMouseEvent*) override {}  // no drag selection
    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            w_.gridDoubleClicked(e->pos());
    }
    void contextMenuEvent(QContextMenuEvent* e) override { e->accept(); }  // shown on the press
    // The wheel scrolls the page (the grid itself never scrolls vertically).
    void wheelEvent(QWheelEvent* e) override
    {
        if (e->angleDelta().y() == 0) {
            QTableWidget::wheelEvent(e);
            return;
        }
        w_.VScroll->setValue(w_.VScroll->value() - e->angleDelta().y() / 40);
        e->accept();
    }

private:
    frmMemory& w_;
};

} // namespace

frmMemory::frmMemory(frmMain& m, QWidget* parent) : QWidget(parent), main_(m)
{
    setObjectName(QStringLiteral("frmMemory"));
    setWindowTitle(QStringLiteral("Memory Window"));
    setProperty("helpContext", 36);

    gridMemory = new MemoryGrid(*this);
    gridMemory->setObjectName(QStringLiteral("gridMemory"));
    gridMemory->setFont(gridFont());
    gridMemory->setColumnCount(ColumnCount);
    gridMemory->setRowCount(0);
    gridMemory->verticalHeader()->hide();
    gridMemory->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gridMemory->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    gridMemory->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    gridMemory->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridMemory->setSelectionMode(QAbstractItemView::NoSelection);
    gridMemory->setTabKeyNavigation(false);
    gridMemory->setWordWrap(false);
    gridMemory->setCornerButtonEnabled(false);
    gridMemory->setShowGrid(false);
    QHeaderView* h = gridMemory->horizontalHeader();
    h->setSectionResizeMode(QHeaderView::Fixed);
    h->setMinimumSectionSize(1);
    h->setHighlightSections(false);
    h->setSectionsClickable(false);
    h->setFont(gridFont());
    h->setFixedHeight(rowHeight());
    QStringList labels;
    for (int c = 0; c < ColumnCount; ++c) {
        labels << headerText(c);
        int twips = kSpacerTwips;
        if (c == AddressColumn)
            twips = kAddressTwips;
        else if (isHexColumn(c))
            twips = kHexTwips;
        else if (isCharColumn(c))
            twips = kCharTwips;
        gridMemory->setColumnWidth(c, c >= LastChar + 1 ? 1 : twipsToPixels(twips));
    }
    // The character columns need room for one character of the grid font.
    const int charWidth = QFontMetrics(gridFont()).horizontalAdvance(QLatin1Char('W')) + 4;
    for (int c = FirstChar; c <= LastChar; ++c)
        gridMemory->setColumnWidth(c, std::max(gridMemory->columnWidth(c), charWidth));
    const int hexWidth = QFontMetrics(gridFont()).horizontalAdvance(QStringLiteral("WW")) + 6;
    for (int c = FirstHex; c <= LastHex; ++c)
        gridMemory->setColumnWidth(c, std::max(gridMemory->columnWidth(c), hexWidth));
    const int adrWidth = QFontMetrics(gridFont()).horizontalAdvance(QStringLiteral(" $FFFF: ")) + 4;
    gridMemory->setColumnWidth(AddressColumn, std::max(gridMemory->columnWidth(AddressColumn), adrWidth));
    gridMemory->setHorizontalHeaderLabels(labels);
    gridMemory->verticalHeader()->setDefaultSectionSize(rowHeight());
    gridMemory->verticalHeader()->setMinimumSectionSize(1);
    gridMemory->viewport()->installEventFilter(this);

    VScroll = new QScrollBar(Qt::Vertical);
    VScroll->setObjectName(QStringLiteral("VScroll"));
    VScroll->setRange(0, 4096);
    VScroll->setSingleStep(1);
    connect(VScroll, &QScrollBar::valueChanged, this, &frmMemory::scrollBarChanged);
    connect(VScroll, &QScrollBar::sliderMoved, this, &frmMemory::scrollBarMoved);
    connect(VScroll, &QScrollBar::sliderReleased, this, [this] { frameAdr->hide(); });

    txtData = new QLineEdit(gridMemory->viewport());
    txtData->setObjectName(QStringLiteral("txtData"));
    txtData->setFont(gridFont());
    txtData->setAlignment(Qt::AlignCenter);
    txtData->setFrame(false);
    txtData->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid palette(highlight); }"));
    txtData->hide();
    txtData->installEventFilter(this);
    // Edits that do not come through the key filter (a paste) count too.
    connect(txtData, &QLineEdit::textEdited, this, [this] { editTouched_ = true; });

    frameAdr = new QFrame(this);
    frameAdr->setObjectName(QStringLiteral("frameAdr"));
    frameAdr->setFrameShape(QFrame::Box);
    frameAdr->setAutoFillBackground(true);
    frameAdr->setBackgroundRole(QPalette::ToolTipBase);
    lbAdr = new QLabel(frameAdr);
    lbAdr->setObjectName(QStringLiteral("lbAdr"));
    lbAdr->setFont(gridFont());
    auto* tipLay = new QHBoxLayout(frameAdr);
    tipLay->setContentsMargins(3, 1, 3, 1);
    tipLay->addWidget(lbAdr);
    frameAdr->hide();

    sbStatusBar = new QStatusBar;
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    sbStatusBar->setSizeGripEnabled(false);
    sbStatusBar->setFont(gridFont());

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(gridMemory, 1);
    body->addWidget(VScroll);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    lay->addLayout(body, 1);
    lay->addWidget(sbStatusBar);

    mnuPopupMemory = new QMenu(this);
    mnuPopupMemory->setObjectName(QStringLiteral("mnuPopupMemory"));
    auto add = [this](const char* name, const QString& text, auto fn) {
        QAction* a = mnuPopupMemory->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, fn);
    };
    add("mnuPopupMemoryEnter", QStringLiteral("Enter &Value ..."), [this] { mnuMemoryEnter(); });
    add("mnuPopupMemoryAddress", QStringLiteral("&Display Address ..."), [this] { mnuMemoryAddress(); });
    add("mnuPopupMemoryRefresh", QStringLiteral("&Refresh Window"), [this] { mnuMemoryRefresh(); });

    // Load: cursor on the first byte of the first line at $0000; no memory
    // is read until the page is first shown.
    cursor_ = MemoryCursor{};
    main_.access().DisplayAddress = 0;
    resize(twipsToPixels(kAddressTwips + 2 * kSpacerTwips + 16 * (kHexTwips + kCharTwips)) + 40, 330);

    connect(m.mdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        // Activated again while its View item is checked: show memory as it is now.
        if (sub && sub->widget() == this && main_.isShown(QStringLiteral("mnuViewMemory")))
            mnuMemoryRefresh();
    });
}

int frmMemory::rowHeight() const
{
    return std::max(twipsToPixels(kRowTwips), QFontMetrics(gridFont()).height() + 2);
}

int32_t frmMemory::displayAddress() const { return main_.access().DisplayAddress; }

// ---- Lines and the page ----------------------------------------------------------

void frmMemory::layoutLines()
{
    const int lines = memoryLineCount(gridMemory->viewport()->height(), rowHeight());
    if (lines != cursor_.lineCount)
        setLineCount(lines);
}

void frmMemory::setLineCount(int lines)
{
    hideEditor();
    const int old = gridMemory->rowCount();
    cursor_.lineCount = lines;
    gridMemory->setRowCount(lines);
    for (int r = old; r < lines; ++r) {
        gridMemory->setRowHeight(r, rowHeight());
        for (int c = 0; c < ColumnCount; ++c) {
            auto* it = new QTableWidgetItem;
            if (isDataColumn(c))
                it->setTextAlignment(Qt::AlignCenter);
            else
                it->setFlags(Qt::ItemIsEnabled);
            gridMemory->setItem(r, c, it);
        }
    }
    {
        const QSignalBlocker block(VScroll);
        VScroll->setMaximum(std::max(0, 4096 - lines));
        VScroll->setPageStep(std::max(lines, 1));
    }
    if (lines > 0)
        cursor_.row = std::clamp(cursor_.row, 0, lines - 1);
    AccessLayer& a = main_.access();
    if (lines > 0 && a.DisplayAddress > maxDisplayAddress(lines)) {
        // A taller window at the end of memory: the page ends at $FFFF.
        showPage(maxDisplayAddress(lines), cursor_.row, cursor_.column);
        return;
    }
    // New lines show the buffer as last read.
    if (haveBuffer_ && main_.isShown(QStringLiteral("mnuViewMemory")))
        fillRows();
    placeCursor();
}

void frmMemory::setCell(int row, int column, const QString& text)
{
    QTableWidgetItem* it = gridMemory->item(row, column);
    if (it && it->text() != text) {
        it->setText(text);
        ++cellWrites_;
    }
}

void frmMemory::fillRows()
{
    const AccessLayer& a = main_.access();
    cellWrites_ = 0;
    for (int r = 0; r < cursor_.lineCount; ++r) {
        const std::vector<std::string> cells = memoryLineCells(a.DisplayAddress, r * 16, a.memoryBuffer, lastOk_);
        for (int c = 0; c < static_cast<int>(cells.size()); ++c)
            setCell(r, c, QString::fromLatin1(cells[static_cast<size_t>(c)].c_str()));
    }
}

void frmMemory::DisplayPage()
{
    AccessLayer& a = main_.access();
    a.DisplayAddress = std::clamp(a.DisplayAddress / 16 * 16, 0, maxDisplayAddress(cursor_.lineCount));
    cursor_.displayAddress = a.DisplayAddress;
    a.InMemory();
    lastOk_ = a.linkReady();
    haveBuffer_ = true;
    gridMemory->setUpdatesEnabled(false);
    fillRows();
    gridMemory->setUpdatesEnabled(true);
    {
        const QSignalBlocker block(VScroll);
        VScroll->setValue(a.DisplayAddress / 16);
    }
    placeCursor();
}

void frmMemory::showPage(int32_t address, int row, int column)
{
    hideEditor();
    frameAdr->hide();
    main_.access().DisplayAddress = address;
    cursor_.row = row;
    cursor_.column = column;
    DisplayPage();
}

void frmMemory::mnuMemoryRefresh()
{
    showPage(main_.access().DisplayAddress, cursor_.row, cursor_.column);
    gridMemory->setFocus();
}

void frmMemory::mnuMemoryAddress()
{
    hideEditor();
    DialogFields f;
    f.DialogOK = false;
    memoryAddress(this, f);
    // A cancelled dialog shows memory from $0000.
    const int32_t address = f.DialogOK ? f.DialogAddress : 0;
    layoutLines();
    const MemoryCursor c = memoryJump(address, cursor_.lineCount);
    showPage(c.displayAddress, c.row, c.column);
    gridMemory->setFocus();
}

// ---- The cursor ------------------------------------------------------------------

void frmMemory::placeCursor()
{
    if (cursor_.lineCount <= 0)
        return;
    cursor_.row = std::clamp(cursor_.row, 0, cursor_.lineCount - 1);
    if (!isDataColumn(cursor_.column))
        cursor_.column = FirstHex;
    gridMemory->setCurrentCell(cursor_.row, cursor_.column, QItemSelectionModel::NoUpdate);
    // The byte and its character are marked together.
    const int twin = isHexColumn(cursor_.column) ? cursor_.column + (FirstChar - FirstHex)
                                                 : cursor_.column - (FirstChar - FirstHex);
    QItemSelection sel;
    QAbstractItemModel* model = gridMemory->model();
    sel.select(model->index(cursor_.row, cursor_.column), model->index(cursor_.row, cursor_.column));
    sel.select(model->index(cursor_.row, twin), model->index(cursor_.row, twin));
    gridMemory->selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
    HorScroll();
    updateStatus();
}

void frmMemory::HorScroll()
{
    if (cursor_.lineCount <= 0)
        return;
    QTableWidgetItem* it = gridMemory->item(cursor_.row, cursor_.column);
    if (it)
        gridMemory->scrollToItem(it, QAbstractItemView::EnsureVisible);
}

void frmMemory::updateStatus()
{
    const int32_t address = cursor_.address();
    if (address < 0 || !lastOk_ || !haveBuffer_) {
        sbStatusBar->showMessage(address < 0 ? QString() : QStringLiteral("$") + QString::fromStdString(HexPad(address, 4)));
        return;
    }
    // The cells show the buffer (a written byte updates both): read the
    // value there rather than parse it back from the cell's text.
    const int offset = cursor_.row * 16 + byteOfColumn(cursor_.column);
    const int value = main_.access().memoryBuffer[static_cast<size_t>(offset)];
    const QChar ch = QLatin1Char(memoryChar(static_cast<uint8_t>(value)));
    sbStatusBar->showMessage(QStringLiteral("$") + QString::fromStdString(HexPad(address, 4)) + QStringLiteral(" = $") +
                             QString::fromStdString(HexPad(value, 2)) + QStringLiteral("  ") +
                             QString::fromStdString(FormatValue(value, '%', false)) + QStringLiteral("  ") +
                             QString::number(value) + QStringLiteral("  '") + ch + QStringLiteral("'"));
}

void frmMemory::moveCursor(MemoryMove move)
{
    if (cursor_.lineCount <= 0)
        return;
    hideEditor();
    cursor_.displayAddress = main_.access().DisplayAddress;
    const MemoryCursor next = memoryMove(cursor_, move);
    if (next.displayAddress != cursor_.displayAddress) {
        showPage(next.displayAddress, next.row, next.column);
    } else {
        cursor_ = next;
        placeCursor();
    }
}

void frmMemory::clickCell(int row, int column)
{
    if (cursor_.lineCount <= 0)
        return;
    cursor_ = memorySettle(cursor_, row, column, cursor_.column);
    placeCursor();
}

QString frmMemory::cellText(int row, int column) const
{
    QTableWidgetItem* it = gridMemory->item(row, column);
    return it ? it->text() : QString();
}

bool frmMemory::gridKey(int key, Qt::KeyboardModifiers mods)
{
    switch (key) {
    case Qt::Key_Left: moveCursor(MemoryMove::Left); return true;
    case Qt::Key_Right: moveCursor(MemoryMove::Right); return true;
    case Qt::Key_Up: moveCursor(MemoryMove::Up); return true;
    case Qt::Key_Down: moveCursor(MemoryMove::Down); return true;
    case Qt::Key_PageUp: moveCursor(MemoryMove::PageUp); return true;
    case Qt::Key_PageDown: moveCursor(MemoryMove::PageDown); return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: moveCursor(MemoryMove::Tab); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: mnuMemoryEnter(); return true;
    default: break;
    }
    Q_UNUSED(mods);
    return false;
}

void frmMemory::gridPressed(const QPoint& pos, Qt::MouseButton button, const QPoint& globalPos)
{
    hideEditor();
    if (button == Qt::RightButton) {
        gridMemory->setFocus();
        // The data breakpoint items are for the byte under the mouse (or
        // the cursor's, off the data cells).
        for (QAction* a : mnuPopupMemory->actions())
            if (a->objectName() == QLatin1String("mnuPopupDataBreakpoint") || a->property("dataBreakBar").toBool()) {
                mnuPopupMemory->removeAction(a);
                a->deleteLater();
            }
        MemoryCursor at = cursor_;
        const QModelIndex index = gridMemory->indexAt(pos);
        if (index.isValid()) {
            at.row = index.row();
            at.column = index.column();
        }
        int32_t address = at.address();
        if (address < 0)
            address = cursor_.address();
        const int before = static_cast<int>(mnuPopupMemory->actions().size());
        main_.addDataBreakpointMenu(mnuPopupMemory, address, address);
        if (mnuPopupMemory->actions().size() > before)
            mnuPopupMemory->actions().at(before)->setProperty("dataBreakBar", true);
        mnuPopupMemory->exec(globalPos);
        return;
    }
    const QModelIndex index = gridMemory->indexAt(pos);
    if (index.isValid())
        clickCell(index.row(), index.column());
}

void frmMemory::gridDoubleClicked(const QPoint& pos)
{
    const QModelIndex index = gridMemory->indexAt(pos);
    if (!index.isValid())
        return;
    if (index.column() == AddressColumn) {
        mnuMemoryAddress();
        return;
    }
    if (isDataColumn(index.column())) {
        clickCell(index.row(), index.column());
        EnterData(index.row(), index.column());
    }
}

// ---- Editing a byte --------------------------------------------------------------

void frmMemory::mnuMemoryEnter() { EnterData(cursor_.row, cursor_.column); }

void frmMemory::EnterData(int row, int column)
{
    if (row < 0 || row >= cursor_.lineCount || !isDataColumn(column))
        return;
    // A page whose read failed has nothing to edit.
    if (cellText(row, column).isEmpty())
        return;
    editRow_ = row;
    editColumn_ = column;
    editTouched_ = false;
    QTableWidgetItem* it = gridMemory->item(row, column);
    gridMemory->scrollToItem(it, QAbstractItemView::EnsureVisible);
    const QRect r = gridMemory->visualItemRect(it);
    const bool hex = isHexColumn(column);
    const int width = std::max(r.width(), QFontMetrics(txtData->font()).horizontalAdvance(QStringLiteral("WW")) + 6);
    txtData->setGeometry(r.x() + (r.width() - width) / 2, r.y() - 1, width, r.height() + 2);
    txtData->setMaxLength(hex ? MemoryByteMaxLength : MemoryCharMaxLength);
    txtData->setText(it->text());
    txtData->setSelection(0, 2);
    txtData->show();
    txtData->raise();
    txtData->setFocus();
}

void frmMemory::hideEditor()
{
    if (txtData && txtData->isVisible())
        txtData->hide();
}

bool frmMemory::editorKey(int key, const QString& text)
{
    char ch = 0;
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        ch = MemKeyEnter;
    else if (key == Qt::Key_Escape)
        ch = MemKeyEscape;
    else if (key == Qt::Key_Backspace)
        ch = MemKeyBackspace;
    else if (text.size() == 1 && text.at(0).unicode() >= 32 && text.at(0).unicode() < 127)
        ch = static_cast<char>(text.at(0).unicode());
    else if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Home || key == Qt::Key_End)
        return false;  // caret moves inside the box
    else
        return true;  // everything else is dropped

    const bool hex = isHexColumn(editColumn_);
    const int selStart = txtData->hasSelectedText() ? txtData->selectionStart() : txtData->cursorPosition();
    const int selLength = txtData->hasSelectedText() ? static_cast<int>(txtData->selectedText().size()) : 0;
    const MemoryEditKey r = memoryEditKey(txtData->text().toStdString(), selStart, selLength, ch, hex);
    if (r.cancel) {
        hideEditor();
        gridMemory->setFocus();
        return true;
    }
    if (r.send) {
        hideEditor();
        // Enter on a cell the user did not change writes nothing.
        if (editTouched_)
            SendByte();
        gridMemory->setFocus();
        return true;
    }
    if (r.accepted) {
        editTouched_ = true;
        txtData->setText(QString::fromLatin1(r.text.c_str()));
        txtData->setCursorPosition(r.caret);
    }
    return true;
}

void frmMemory::SendByte()
{
    if (editRow_ < 0 || editRow_ >= cursor_.lineCount || !isDataColumn(editColumn_))
        return;
    const bool hex = isHexColumn(editColumn_);
    const int32_t value = memoryEditValue(txtData->text().toStdString(), hex);
    if (value < 0)
        return;
    AccessLayer& a = main_.access();
    const int offset = editRow_ * 16 + byteOfColumn(editColumn_);
    const int32_t address = (a.DisplayAddress + offset) & 0xFFFF;
    a.OutByte(address, static_cast<uint8_t>(value));
    if (!a.linkReady())
        return;
    uint8_t readBack = 0;
    a.InByte(address, readBack);
    if (!a.linkReady())
        return;
    const int b = byteOfColumn(editColumn_);
    setCell(editRow_, FirstHex + b, QString::fromStdString(HexPad(readBack, 2)));
    setCell(editRow_, FirstChar + b, QString(QLatin1Char(memoryChar(readBack))));
    // Keep the buffer in step with the cells, so that lines added by a resize
    // show what memory now holds.
    if (offset >= 0 && offset < static_cast<int>(a.memoryBuffer.size()))
        a.memoryBuffer[static_cast<size_t>(offset)] = readBack;
    updateStatus();
    if (readBack != value)
        main_.message(std::string(MemoryWriteCaption), memoryReadOnlyMessage(), MessageIcon::Exclamation);
}

// ---- Scroll bar --------------------------------------------------------------------

void frmMemory::scrollBarMoved(int value)
{
    hideEditor();
    const int32_t address = std::min(value * 16, maxDisplayAddress(cursor_.lineCount));
    lbAdr->setText(QStringLiteral("$") + QString::fromStdString(HexPad(address, 4)));
    frameAdr->adjustSize();
    QStyleOptionSlider opt;
    opt.initFrom(VScroll);
    opt.orientation = Qt::Vertical;
    opt.minimum = VScroll->minimum();
    opt.maximum = VScroll->maximum();
    opt.sliderPosition = value;
    opt.sliderValue = value;
    opt.pageStep = VScroll->pageStep();
    opt.singleStep = VScroll->singleStep();
    const QRect thumb = VScroll->style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, VScroll);
    const QPoint at = VScroll->mapTo(this, thumb.topLeft());
    frameAdr->move(std::max(0, at.x() - frameAdr->width() - 2),
                   std::clamp(at.y() + thumb.height() / 2 - frameAdr->height() / 2, 0,
                              std::max(0, height() - frameAdr->height())));
    frameAdr->show();
    frameAdr->raise();
}

void frmMemory::scrollBarChanged(int value)
{
    if (cursor_.lineCount <= 0)
        return;
    const int32_t address = std::min(value * 16, maxDisplayAddress(cursor_.lineCount));
    if (address == main_.access().DisplayAddress && haveBuffer_)
        return;
    const bool tip = VScroll->isSliderDown();
    showPage(address, cursor_.row, cursor_.column);
    if (tip)
        frameAdr->show();
    gridMemory->setFocus();
}

// ---- Events --------------------------------------------------------------------------

bool frmMemory::eventFilter(QObject* o, QEvent* e)
{
    if (o == txtData) {
        if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            return editorKey(k->key(), k->text());
        }
        if (e->type() == QEvent::FocusOut) {
            auto* f = static_cast<QFocusEvent*>(e);
            // A popup (the input method, a context menu) does not end editing.
            if (f->reason() != Qt::PopupFocusReason)
                hideEditor();
        }
        return false;
    }
    if (o == gridMemory->viewport() && e->type() == QEvent::Resize) {
        layoutLines();
        return false;
    }
    return QWidget::eventFilter(o, e);
}

// ---- Registration ----------------------------------------------------------------

namespace {

// The View item opens the window and asks at once where to show memory;
// on an open window it closes it.
void toggleMemoryWindow(frmMain& m)
{
    const QString item = QStringLiteral("mnuViewMemory");
    if (m.viewWidget(item)) {
        m.closeView(item);
        if (QAction* a = m.menuItem(item))
            a->setChecked(false);
        return;
    }
    if (auto* w = dynamic_cast<frmMemory*>(m.openView(item)))
        w->mnuMemoryAddress();
}

struct MemoryWindowRegistrar {
    MemoryWindowRegistrar()
    {
        ViewRegistry::add(ViewInfo{QStringLiteral("frmMemory"), QStringLiteral("mnuViewMemory"),
                                   QStringLiteral("Memory"),
                                   [](frmMain& m) -> QWidget* { return new frmMemory(m); },
                                   [](int w, int h) {
                                       // Wide enough for a whole line, 16 lines high.
                                       return QRect(0, 0, std::min(w, 720), std::min(h, 360));
                                   }});
        ViewRegistry::addExtension([](frmMain& m) {
            m.setCommand(QStringLiteral("mnuViewMemory"), [&m] { toggleMemoryWindow(m); });
        });
    }
};
const MemoryWindowRegistrar registrar;

} // namespace

} // namespace zelk
