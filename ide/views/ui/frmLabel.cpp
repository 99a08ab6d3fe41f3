// The labels window.
#include "views/ui/frmLabel.h"

#include "editor/ui/ProgramSymbols.h"
#include "shell/Settings.h"
#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"
#include "views/LabelList.h"
#include "views/ui/ValueListView.h"

#include <QAction>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QMenu>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zelk {

namespace {

constexpr int kLabelColumnTwips = 780;

class LabelListView : public QTreeWidget {
public:
    explicit LabelListView(frmLabel& w) : w_(w) {}

protected:
    void contextMenuEvent(QContextMenuEvent* e) override { w_.buildPopup()->exec(e->globalPos()); }
    // A double-click on a row does nothing.
    void mouseDoubleClickEvent(QMouseEvent*) override {}

private:
    frmLabel& w_;
};

} // namespace

frmLabel::frmLabel(frmMain& m, QWidget* parent) : QWidget(parent), main_(m)
{
    setObjectName(QStringLiteral("frmLabel"));
    setWindowTitle(QStringLiteral("Labels"));
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    ListView = new LabelListView(*this);
    ListView->setObjectName(QStringLiteral("ListView"));
    QFont f(QStringLiteral("Courier New"));
    if (!QFontDatabase::families().contains(f.family(), Qt::CaseInsensitive))
        f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    ListView->setFont(f);
    ListView->setHeaderHidden(true);
    ListView->setRootIsDecorated(false);
    ListView->setUniformRowHeights(true);
    ListView->header()->setStretchLastSection(false);
    lay->addWidget(ListView);
    resize(200, 240);

    SortMode = m.store().value(QString::fromLatin1(LabelSortKey));
    Redraw();
}

frmLabel::~frmLabel()
{
    main_.store().setValue(QString::fromLatin1(LabelSortKey), SortMode);
}

void frmLabel::Redraw()
{
    ListView->setSortingEnabled(false);
    ListView->clear();
    ListView->setColumnCount(2);
    ListView->setColumnWidth(0, twipsToPixels(kLabelColumnTwips));
    const QFontMetrics fm(ListView->font());
    ListView->setColumnWidth(1, 5 * fm.horizontalAdvance(QLatin1Char(' ')) + fm.horizontalAdvance(QLatin1Char(' ')));
    // The rows come sorted as the list control would sort them.
    QList<QTreeWidgetItem*> items;
    for (const LabelRow& r : labelRows(programSymbols(), SortMode.toStdString())) {
        auto* it = new QTreeWidgetItem;
        it->setText(0, QString::fromStdString(r.label));
        it->setText(1, QString::fromStdString(r.valueText));
        items.append(it);
    }
    ListView->addTopLevelItems(items);
    fitNameColumn(ListView, twipsToPixels(kLabelColumnTwips));
}

QMenu* frmLabel::buildPopup()
{
    delete popup_;
    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("mnuPopupSort"));
    auto* group = new QActionGroup(popup_);
    const LabelSort sort = labelSortOf(SortMode.toStdString());
    auto add = [&](const char* name, const QString& text, LabelSort mode) {
        QAction* a = popup_->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(true);
        a->setChecked(sort == mode);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, mode] {
            SortMode = QString::fromStdString(sortModeText(mode));
            Redraw();
        });
    };
    add("mnuPopupSortName", QStringLiteral("Sort by &Name"), LabelSort::Name);
    add("mnuPopupSortValue", QStringLiteral("Sort by &Value"), LabelSort::Value);
    popup_->addSeparator();
    add("mnuPopupSortNone", QStringLiteral("&Unsorted"), LabelSort::None);
    return popup_;
}

ZELK_REGISTER_VIEW(frmLabel, "mnuViewLabel", "Label", [](frmMain& m) -> QWidget* { return new frmLabel(m); });

} // namespace zelk
