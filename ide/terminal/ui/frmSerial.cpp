// The serial terminal window (see frmSerial.h).
#include "terminal/ui/frmSerial.h"

#include "shell/Settings.h"
#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"
#include "terminal/ui/TerminalView.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QSerialPort>
#include <QTimer>
#include <QVBoxLayout>

namespace zelk {

namespace {

// The pop-up menu belongs to the main window (its check marks carry the
// "HexTerminal" setting, which the main window loads and saves).
void buildPopup(frmMain& main)
{
    auto* menu = new QMenu(QStringLiteral("PopupSerial"), &main);
    menu->setObjectName(QStringLiteral("mnuPopupSerial"));
    auto* group = new QActionGroup(menu);
    QAction* ascii = menu->addAction(QStringLiteral("&Ascii"));
    ascii->setObjectName(QStringLiteral("mnuPopupSerialAscii"));
    QAction* hex = menu->addAction(QStringLiteral("&Hex"));
    hex->setObjectName(QStringLiteral("mnuPopupSerialHex"));
    for (QAction* a : {ascii, hex}) {
        a->setCheckable(true);
        group->addAction(a);
    }
    ascii->setChecked(!main.settings().hexTerminal);
    hex->setChecked(main.settings().hexTerminal);
    menu->addSeparator()->setObjectName(QStringLiteral("mnuPopupSerialBar1"));
    QAction* clear = menu->addAction(QStringLiteral("&Clear"));
    clear->setObjectName(QStringLiteral("mnuPopupSerialClear"));

    auto terminal = [&main]() { return qobject_cast<frmSerial*>(main.viewWidget(QStringLiteral("mnuViewSerialTerminal"))); };
    auto modeChosen = [&main, terminal] {
        if (QAction* h = frmSerial::popupItem(main, "mnuPopupSerialHex"))
            main.settings().hexTerminal = h->isChecked();
        if (frmSerial* t = terminal())
            t->applyMode();
    };
    QObject::connect(ascii, &QAction::triggered, menu, modeChosen);
    QObject::connect(hex, &QAction::triggered, menu, modeChosen);
    QObject::connect(clear, &QAction::triggered, menu, [terminal] {
        if (frmSerial* t = terminal())
            t->ClearScreen();
    });
}

// The main window's simulated serial line: the SCI's host for the main
// window's lifetime. Its output goes to the terminal every 50 ms (window
// messages run during Play and Animate too) and whenever the windows were
// brought up to date after a step or a run.
class SimSerialHost : public QObject {
public:
    explicit SimSerialHost(frmMain& main) : QObject(&main), line(&main.access().simulator().chip())
    {
        setObjectName(QStringLiteral("SimSerialHost"));
        main.access().simulator().chip().setHost(&line);
        timer_ = new QTimer(this);
        timer_->setInterval(50);
        connect(timer_, &QTimer::timeout, this, [&main] { frmSerial::deliverSimOutput(main); });
        timer_->start();
        connect(&main, &frmMain::programCounterShown, this, [&main] { frmSerial::deliverSimOutput(main); });
        connect(&main, &frmMain::peripheralsReset, this, [this] { line.clear(); });
    }
    // The chip goes with the main window's access layer, before this child.
    SimSerialLine line;

private:
    QTimer* timer_;
};

} // namespace

SimSerialLine& frmSerial::simLine(frmMain& main)
{
    auto* host = main.findChild<SimSerialHost*>(QStringLiteral("SimSerialHost"), Qt::FindDirectChildrenOnly);
    if (!host)
        host = new SimSerialHost(main);
    return host->line;
}

void frmSerial::deliverSimOutput(frmMain& main)
{
    SimSerialLine& line = simLine(main);
    if (!line.hasOutput())
        return;
    const std::string out = line.takeOutput();
    if (main.isShown(QStringLiteral("mnuViewSerialTerminal")))
        emit main.serialTerminalData(QByteArray(out.data(), static_cast<qsizetype>(out.size())));
}

QMenu* frmSerial::popup(frmMain& main)
{
    return main.findChild<QMenu*>(QStringLiteral("mnuPopupSerial"), Qt::FindDirectChildrenOnly);
}

QAction* frmSerial::popupItem(frmMain& main, const char* name)
{
    QMenu* m = popup(main);
    return m ? m->findChild<QAction*>(QString::fromLatin1(name)) : nullptr;
}

frmSerial::frmSerial(frmMain& main, QWidget* parent) : QWidget(parent), main_(main)
{
    setObjectName(QStringLiteral("frmSerial"));
    setWindowTitle(QStringLiteral("Serial Terminal"));
    setProperty("helpContext", 41);
    view_ = new TerminalView(model_);
    view_->setObjectName(QStringLiteral("RichText"));
    view_->setFont(toQFont(FontRecord{QStringLiteral("Terminal"), 9, false, false}));
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(view_);
    setFocusProxy(view_);

    view_->onKey = [this](QKeyEvent* e) { handleKey(e); };
    view_->onRightButton = [this](const QPoint& at) {
        if (QMenu* m = popup(main_))
            m->popup(at);
    };
    applyMode();

    // The board's receive handling hands the program's output to the open
    // terminal.
    connect(&main_, &frmMain::serialTerminalData, this, &frmSerial::Display);
}

frmSerial::~frmSerial() = default;

void frmSerial::applyMode()
{
    QAction* hex = popupItem(main_, "mnuPopupSerialHex");
    const bool isHex = hex ? hex->isChecked() : main_.settings().hexTerminal;
    model_.setMode(isHex ? TerminalModel::Mode::Hex : TerminalModel::Mode::Ascii);
    view_->modelChanged();
}

void frmSerial::Display(const QByteArray& bytes)
{
    model_.Display(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()));
    if (model_.takeBells() > 0)
        QApplication::beep();
    view_->modelChanged();
}

void frmSerial::ClearScreen()
{
    model_.clear();
    view_->modelChanged();
}

TerminalKey frmSerial::classify(const QKeyEvent* e)
{
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return TerminalKey::Enter;
    case Qt::Key_Backspace: return TerminalKey::Backspace;
    case Qt::Key_Delete: return TerminalKey::Delete;
    case Qt::Key_PageUp: return TerminalKey::PageUp;
    case Qt::Key_PageDown: return TerminalKey::PageDown;
    case Qt::Key_End: return TerminalKey::End;
    case Qt::Key_Home: return TerminalKey::Home;
    case Qt::Key_Left: return TerminalKey::Left;
    case Qt::Key_Right: return TerminalKey::Right;
    case Qt::Key_Up: return TerminalKey::Up;
    case Qt::Key_Down: return TerminalKey::Down;
    default: break;
    }
    if (ctrl) {
        switch (e->key()) {
        case Qt::Key_A: return TerminalKey::CtrlA;
        case Qt::Key_C: return TerminalKey::CtrlC;
        case Qt::Key_V: return TerminalKey::CtrlV;
        case Qt::Key_X: return TerminalKey::CtrlX;
        case Qt::Key_Z: return TerminalKey::CtrlZ;
        default: break;
        }
    }
    return e->text().isEmpty() ? TerminalKey::Other : TerminalKey::Character;
}

void frmSerial::handleKey(QKeyEvent* e)
{
    const TerminalKey key = classify(e);
    char32_t ch = 0;
    if (key == TerminalKey::Character) {
        const QList<uint> u = e->text().toUcs4();
        ch = u.isEmpty() ? 0 : static_cast<char32_t>(u.front());
    }
    AccessLayer& link = main_.access();
    if (link.simulatorMode() && link.simulator().peripherals()) {
        // The simulated SCI receives what a running board program would.
        const TerminalKeyAction a = terminalKeyAction(key, ch, true, true);
        if (!a.send.empty() && simLine(main_).type(a.send.data(), a.send.size()) < a.send.size())
            main_.say(QStringLiteral("The program has not read the characters typed before: this one is dropped."));
        e->setAccepted(a.swallow);
        return;
    }
    const TerminalKeyAction a = terminalKeyAction(key, ch, !link.simulatorMode(), link.boardRunning);
    if (!a.send.empty() && main_.MSComm().isOpen())
        main_.MSComm().write(reinterpret_cast<const char*>(a.send.data()), static_cast<qint64>(a.send.size()));
    e->setAccepted(a.swallow);
}

ZELK_REGISTER_VIEW(frmSerial, "mnuViewSerialTerminal", "Serial",
                   [](frmMain& m) -> QWidget* { return new frmSerial(m); });

ZELK_REGISTER_EXTENSION(serialPopup, [](frmMain& m) { buildPopup(m); });
ZELK_REGISTER_EXTENSION(simSerialHost, [](frmMain& m) { frmSerial::simLine(m); });

} // namespace zelk
