// The menu bar and toolbar of the main window as data.
#include "shell/MenuTable.h"

namespace zelk {

namespace {

// Shorthands keep the table one row per item.
constexpr MenuItemDef top(const char* n, const char* c)
{
    return {n, c, "", false, 0, false, false, 0, false, false};
}
constexpr MenuItemDef item(const char* n, const char* c, const char* k, bool off, int help)
{
    return {n, c, k, off, help, false, false, 1, false, false};
}
constexpr MenuItemDef check(const char* n, const char* c, bool off, int help, bool on = false,
                            int level = 1)
{
    return {n, c, "", off, help, true, on, level, false, false};
}
constexpr MenuItemDef bar(const char* n, int level = 1)
{
    return {n, nullptr, "", false, 0, false, false, level, false, false};
}

constexpr MenuItemDef kMenus[] = {
    top("mnuFile", "&File"),
    item("mnuFileNew", "&New", "Ctrl+N", false, 2),
    item("mnuFileOpen", "&Open ...", "Ctrl+O", false, 3),
    item("mnuFileClose", "&Close", "", true, 4),
    bar("mnuFileBar1"),
    item("mnuFileSave", "&Save", "Ctrl+S", true, 5),
    item("mnuFileSaveAs", "Save &As ...", "", true, 6),
    bar("mnuFileBar2"),
    item("mnuFilePrintSetup", "P&rint Setup ...", "", false, 7),
    item("mnuFilePrint", "&Print ...", "Ctrl+P", true, 8),
    bar("mnuFileBar3"),
    item("mnuFileAssemble", "Asse&mble ...", "F2", false, 9),
    item("mnuFileLoadSymbols", "&Load Symbols ...", "Ctrl+L", false, 10),
    item("mnuFileDownload", "&Download ...", "Ctrl+D", false, 11),
    bar("mnuFileBar4"),
    item("mnuFileExit", "E&xit", "", false, 12),

    top("mnuEdit", "&Edit"),
    item("mnuEditUndo", "&Undo", "Ctrl+Z", true, 14),
    item("mnuEditRedo", "R&edo", "", true, 15),
    bar("mnuEditBar1"),
    item("mnuEditCut", "Cu&t", "Ctrl+X", true, 16),
    item("mnuEditCopy", "&Copy", "Ctrl+C", true, 17),
    item("mnuEditPaste", "&Paste", "Ctrl+V", true, 18),
    item("mnuEditDelete", "&Delete", "Del", true, 19),
    bar("mnuEditBar2"),
    item("mnuEditSelectAll", "Select Al&l", "Ctrl+A", true, 20),
    bar("mnuEditBar3"),
    item("mnuEditFind", "&Find ...", "Ctrl+F", true, 21),
    item("mnuEditFindNext", "Find &Next", "F3", true, 22),
    item("mnuEditReplace", "&Replace ...", "Ctrl+H", true, 23),
    bar("mnuEditBar4"),
    item("mnuEditGoToLine", "&Go To Line ...", "Ctrl+G", true, 24),

    top("mnuView", "&View"),
    check("mnuViewRegCPU", "&CPU Registers", false, 26),
    {"mnuViewRegBlock", "&Register Block", "", false, 0, false, false, 1, true, false},
    check("mnuViewRegPorts", "&Ports", false, 28, false, 2),
    check("mnuViewRegTimer", "&Timer", false, 29, false, 2),
    check("mnuViewRegPulseAcc", "P&ulse Accumulator", false, 30, false, 2),
    check("mnuViewRegSCI", "S&CI", false, 31, false, 2),
    check("mnuViewRegSPI", "&SPI", false, 32, false, 2),
    check("mnuViewRegAD", "&A/D Converter", false, 33, false, 2),
    check("mnuViewRegOther", "&Other", false, 34, false, 2),
    check("mnuViewRegPIA", "&PIA Registers", false, 35),
    check("mnuViewIOunit", "&IO unit", false, 0),
    check("mnuViewPins", "On-chip pi&ns", false, 0),
    bar("mnuViewBar1"),
    check("mnuViewMemory", "&Memory Window", false, 36),
    check("mnuViewWatch", "&Watch Window", false, 37),
    check("mnuViewStack", "&Stack", false, 38),
    bar("mnuViewBar2"),
    check("mnuViewDisassembler", "&Disassembler", false, 39),
    check("mnuViewLabel", "&Labels", false, 40),
    bar("mnuViewBar3"),
    check("mnuViewSerialTerminal", "S&erial Terminal", false, 41),
    bar("mnuViewBar4"),
    check("mnuViewToolbar", "&Toolbar", false, 0, true),
    check("mnuViewStatusBar", "Status &Bar", false, 0, true),
    bar("mnuViewBar5"),
    item("mnuViewOptions", "&Options ...", "", false, 44),

    top("mnuDebug", "&Debug"),
    item("mnuDebugAddWatch", "Add &Watch ...", "Ctrl+W", false, 46),
    item("mnuDebugEditWatch", "&Edit Watch ...", "", true, 47),
    bar("mnuDebugBar1"),
    check("mnuDebugCodeOn", "Code &On", true, 48, true),
    check("mnuDebugIncludeSym", "Include &Symbols", true, 49),
    bar("mnuDebugBar2"),
    item("mnuDebugToggleBreakpoint", "&Toggle Breakpoint", "F9", true, 50),
    item("mnuDebugClearAllBreakpoints", "&Clear All Breakpoints", "Shift+F9", true, 51),
    item("mnuDebugBreakpoints", "&Breakpoints ...", "Ctrl+B", false, 0),
    bar("mnuDebugBar3"),
    item("mnuDebugSetNewPC", "Set &New PC", "", true, 52),
    item("mnuDebugGetResVec", "Get &Reset Vector", "", true, 0),
    bar("mnuDebugBar4"),
    item("mnuDebugGoToPCAddress", "Go To &PC Address", "Shift+F4", true, 53),
    item("mnuDebugGoToAddress", "Go To &Address ...", "F4", true, 54),
    bar("mnuDebugBar5"),
    item("mnuDebugResetCounter", "Reset counter", "", false, 0),
    bar("mnuDebugBar6"),
    check("mnuDebugProfile", "Cycle &Profile", false, 0),
    item("mnuDebugHottest", "&Hottest Addresses ...", "", true, 0),
    item("mnuDebugExportProfile", "E&xport Profile ...", "", true, 0),
    {"mnuDebugRefresh", "&Refresh Window", "", false, 0, false, false, 1, false, true},

    top("mnuRun", "&Run"),
    item("mnuRunRun", "&Run", "", true, 57),
    item("mnuRunPlay", "&Play", "F5", true, 0),
    item("mnuRunAnimate", "&Animate", "Shift+F5", true, 0),
    bar("mnuRunBar1"),
    item("mnuRunStepInto", "Step &Into", "F7", true, 58),
    item("mnuRunStepOver", "Step &Over", "F8", true, 59),
    item("mnuRunStepOut", "Step Ou&t", "Shift+F7", true, 60),
    item("mnuRunRunTo", "Run To &Cursor", "F6", true, 61),
    item("mnuRunStepBack", "Step &Back", "Ctrl+F7", true, 0),
    item("mnuRunRunBack", "Run Bac&k", "Ctrl+F5", true, 0),
    bar("mnuRunBar2"),
    item("mnuRunPause", "&Pause", "", true, 62),

    top("mnuWindow", "&Window"),
    item("mnuWindowArrangeDebugger", "Arrange &Debugger", "", false, 64),
    bar("mnuWindowBar1"),
    item("mnuWindowCascade", "&Cascade Editors", "", false, 65),
    item("mnuWindowTileHorizontal", "Tile &Horizontal Editors", "", false, 66),
    item("mnuWindowTileVertical", "Tile &Vertical Editors", "", false, 67),

    top("mnuHelp", "&Help"),
    item("mnuHelpVeskHelp", "ZELK Help &Topics", "", false, 69),
    item("mnuHelpUsingHelp", "&Using Help", "", false, 70),
    bar("mnuHelpBar1"),
    item("mnuHelpHC11Symbols", "HC11 &Symbols", "", false, 71),
    bar("mnuHelpBar2"),
    item("mnuHelpAboutVesk", "&About ZELK ...", "", false, 72),
};

constexpr ToolButtonDef kToolbar[] = {
    {"New", ":/icons/new.svg", "mnuFileNew"},
    {"Open", ":/icons/open.svg", "mnuFileOpen"},
    {"Save", ":/icons/save.svg", "mnuFileSave"},
    {nullptr, nullptr, nullptr},
    {"Print", ":/icons/print.svg", ""},
    {nullptr, nullptr, nullptr},
    {"Cut", ":/icons/cut.svg", "mnuEditCut"},
    {"Copy", ":/icons/copy.svg", "mnuEditCopy"},
    {"Paste", ":/icons/paste.svg", "mnuEditPaste"},
    {nullptr, nullptr, nullptr},
    {"Undo", ":/icons/undo.svg", "mnuEditUndo"},
    {"Redo", ":/icons/redo.svg", "mnuEditRedo"},
    {nullptr, nullptr, nullptr},
    {"Find", ":/icons/find.svg", "mnuEditFind"},
    {"Find Next", ":/icons/findnext.svg", "mnuEditFindNext"},
    {nullptr, nullptr, nullptr},
    {"Assemble", ":/icons/assemble.svg", ""},
    {nullptr, nullptr, nullptr},
    {"Download", ":/icons/download.svg", "mnuFileDownload"},
    {nullptr, nullptr, nullptr},
    {"Run", ":/icons/run.svg", "mnuRunRun"},
    {"Play", ":/icons/play.svg", "mnuRunPlay"},
    {"Animate", ":/icons/animate.svg", "mnuRunAnimate"},
    {"Pause", ":/icons/pause.svg", "mnuRunPause"},
    {nullptr, nullptr, nullptr},
    {"Step Into", ":/icons/stepinto.svg", "mnuRunStepInto"},
    {"Step Over", ":/icons/stepover.svg", "mnuRunStepOver"},
    {"Run To Cursor", ":/icons/runto.svg", "mnuRunRunTo"},
    {"Step Out", ":/icons/stepout.svg", "mnuRunStepOut"},
    {nullptr, nullptr, nullptr},
    {"Toggle Breakpoint", ":/icons/breakpoint.svg", "mnuDebugToggleBreakpoint"},
    {"Add Watch", ":/icons/watch.svg", "mnuDebugAddWatch"},
    {nullptr, nullptr, nullptr},
    {"About Vesk", ":/icons/about.svg", ""},
};

} // namespace

std::span<const MenuItemDef> menuTable() { return kMenus; }
std::span<const ToolButtonDef> toolbarTable() { return kToolbar; }

} // namespace zelk
