// The Breakpoints dialog (see frmBreakpoints.h).
#include "shell/frmBreakpoints.h"

#include "run/BreakpointTable.h"
#include "run/DataBreakpoints.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <vector>

namespace zelk {

namespace {

// Item data: which table and slot a row stands for.
constexpr int KindRole = Qt::UserRole;
constexpr int SlotRole = Qt::UserRole + 1;
enum RowKind { CodeRow = 0, DataRow = 1 };

QString hex4(int32_t v) { return QStringLiteral("$%1").arg(v & 0xFFFF, 4, 16, QLatin1Char('0')).toUpper(); }

} // namespace

frmBreakpoints::frmBreakpoints(BreakpointTable& code, DataBreakpointTable& data, bool simulator,
                               std::function<void()> changed, QWidget* parent)
    : QDialog(parent), code_(code), data_(data), simulator_(simulator), changed_(std::move(changed))
{
    setObjectName(QStringLiteral("frmBreakpoints"));
    setWindowTitle(QStringLiteral("Breakpoints"));
    list_ = new QTreeWidget;
    list_->setObjectName(QStringLiteral("lstBreakpoints"));
    list_->setHeaderLabels({QStringLiteral("Address"), QStringLiteral("Kind")});
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    cmdRemove_ = new QPushButton(QStringLiteral("&Remove"));
    cmdRemove_->setObjectName(QStringLiteral("cmdRemove"));
    cmdRemoveAll_ = new QPushButton(QStringLiteral("Remove &All"));
    cmdRemoveAll_->setObjectName(QStringLiteral("cmdRemoveAll"));
    auto* cmdClose = new QPushButton(QStringLiteral("Close"));
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdRemove_);
    buttons->addWidget(cmdRemoveAll_);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    auto* v = new QVBoxLayout(this);
    v->addWidget(list_, 1);
    v->addLayout(buttons);
    resize(360, 300);

    connect(cmdRemove_, &QPushButton::clicked, this, [this] { removeSelected(); });
    connect(cmdRemoveAll_, &QPushButton::clicked, this, [this] { removeAll(); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(list_, &QTreeWidget::itemSelectionChanged, this,
            [this] { cmdRemove_->setEnabled(!list_->selectedItems().isEmpty()); });
    reload();
}

void frmBreakpoints::reload()
{
    list_->clear();
    for (int i = 0; i < code_.count(); ++i) {
        auto* it = new QTreeWidgetItem({hex4(code_.at(i)), QStringLiteral("code")});
        it->setData(0, KindRole, CodeRow);
        it->setData(0, SlotRole, i);
        list_->addTopLevelItem(it);
    }
    for (int i = 0; i < data_.count(); ++i) {
        const DataBreakpoint& e = data_.at(i);
        const QString where = e.first == e.last ? hex4(e.first) : hex4(e.first) + QLatin1Char('-') + hex4(e.last);
        QString kind = QString::fromLatin1(dataAccessName(e.kind));
        if (!simulator_)
            kind += QStringLiteral(" (simulator only)");
        auto* it = new QTreeWidgetItem({where, kind});
        it->setData(0, KindRole, DataRow);
        it->setData(0, SlotRole, i);
        if (!simulator_)
            it->setToolTip(1, QStringLiteral("The board's monitor cannot watch the bus: data breakpoints stop "
                                             "only in simulator mode."));
        list_->addTopLevelItem(it);
    }
    cmdRemove_->setEnabled(false);
    cmdRemoveAll_->setEnabled(list_->topLevelItemCount() > 0);
}

void frmBreakpoints::removeSelected()
{
    // Highest slots first, so the lower ones keep their numbers.
    std::vector<int> codeSlots, dataSlots;
    for (QTreeWidgetItem* it : list_->selectedItems())
        (it->data(0, KindRole).toInt() == CodeRow ? codeSlots : dataSlots).push_back(it->data(0, SlotRole).toInt());
    std::sort(codeSlots.rbegin(), codeSlots.rend());
    std::sort(dataSlots.rbegin(), dataSlots.rend());
    for (int i : codeSlots)
        if (i < code_.count())
            code_.removeAt(i);
    for (int i : dataSlots)
        data_.removeAt(i);
    reload();
    if (changed_)
        changed_();
}

void frmBreakpoints::removeAll()
{
    code_.clear();
    data_.clear();
    reload();
    if (changed_)
        changed_();
}

} // namespace zelk
