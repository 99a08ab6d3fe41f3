// The persistent settings of ZELK: every key of the "Settings" and "Windows"
// sections of the "ZELK Tools" store, with its default, read with validation
// (a corrupt or out-of-range value falls back to the default) and written in
// the store's text form ("True"/"False", decimal numbers). Window placement
// is kept in twips, 15 to the pixel.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include <memory>

class QSettings;

namespace zelk {

constexpr int TwipsPerPixel = 15;
constexpr int twipsToPixels(double twips) { return static_cast<int>(twips / TwipsPerPixel + (twips >= 0 ? 0.5 : -0.5)); }
constexpr double pixelsToTwips(int pixels) { return pixels * double(TwipsPerPixel); }

// A font as the settings describe it: name, size in points, bold, italic.
struct FontRecord {
    QString name;
    double size = 9;
    bool bold = false;
    bool italic = false;
    bool operator==(const FontRecord&) const = default;
};

// The QFont for a record. A family this machine does not have (the default
// editor font usually is one) becomes the system's fixed-pitch font at the
// record's size and style, so editors stay monospaced.
QFont toQFont(const FontRecord& f, bool fixedFallback = true);
FontRecord fromQFont(const QFont& f);
// "Bold Italic", "Bold", "Italic" or "Regular".
QString fontStyleText(const FontRecord& f);

// The options and view switches of the "Settings" section.
struct AppSettings {
    bool toolbar = true;
    bool statusBar = true;
    bool codeOn = true;
    bool includeSym = false;
    bool hexTerminal = false;
    int comPort = 2;             // 1..4
    QString comDevice;           // a typed device path; empty = the device of comPort
    // "BaudRate": line speed of the board's port (8N1, no flow control). It
    // must match the monitor; it is applied when the port opens, never while
    // open. At least 38400 so that a 258-byte reply fits its 100 ms window.
    int baudRate = 38400;
    FontRecord screenFont{QStringLiteral("Fixedsys"), 9, false, false};
    FontRecord printFont{QStringLiteral("Courier New"), 8, false, false};
    bool simEnabled = false;
    // "HistorySteps": steps kept for Step Back in simulator mode (0 = off).
    int historySteps = 1000000;
    // "EClock": the simulated E clock in Hz (simulated time, pacing).
    int eClockHz = 2000000;
    // "SpeedPercent": Play paced to this percentage of the E clock (0 = full speed).
    int speedPercent = 0;
    // "SimulatePeripherals": the simulator models the on-chip peripherals
    // (timer, SCI, A/D, ports, interrupts) at $1000-$103F; off, that block
    // is plain memory.
    bool simulatePeripherals = true;
    bool operator==(const AppSettings&) const = default;
};

// Window state as stored: 0 normal, 1 minimized, 2 maximized.
enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

// A window's placement in pixels, converted from and to the stored twips.
struct Placement {
    WindowState state = WindowState::Normal;
    QRect rect;  // left, top, width, height in pixels
    bool operator==(const Placement&) const = default;
};

// The default placement, in twips, of the debugger window with this key
// prefix, for a main window whose client area is W x H twips. Unknown
// prefixes get a quarter of the client area at the origin.
struct TwipsRect { double left, top, width, height; };
TwipsRect defaultPlacementTwips(const QString& prefix, double clientW, double clientH);
// X = W - 5200, at least 5200: the left edge of the right-hand column.
double rightColumnX(double clientW);

// Reads and writes the store. By default the per-user store "ZELK Tools";
// tests inject their own QSettings (e.g. an INI file in a temporary folder).
class SettingsStore {
public:
    SettingsStore();                        // the per-user store
    explicit SettingsStore(QSettings* s);   // not owned
    ~SettingsStore();

    QSettings& raw() { return *s_; }

    AppSettings load();
    void save(const AppSettings& a);

    // Placement of a window by key prefix ("Main", "RegCPU" ...). A missing
    // or corrupt value takes its default from def (pixels) and defState.
    Placement placement(const QString& prefix, const QRect& def,
                        WindowState defState = WindowState::Normal);
    // Writes all five keys.
    void savePlacement(const QString& prefix, const Placement& p);
    // Writes only prefix & "State" (the main window keeps its last normal
    // rectangle when it closes minimized or maximized).
    void saveState(const QString& prefix, WindowState s);
    bool hasPlacement(const QString& prefix);

    // One string of the "Settings" section (e.g. "LabelSort"), for the
    // windows that keep their own keys.
    QString value(const QString& key, const QString& def = {});
    void setValue(const QString& key, const QString& v);

    void sync();

private:
    std::unique_ptr<QSettings> own_;
    QSettings* s_;
};

// The store's value texts, exposed for the windows that read their own keys.
bool parseBool(const QString& text, bool def);
QString boolText(bool b);

// Pulls a rectangle back onto the available screens: when it shows less than
// a small grip on every screen, it is moved (and shrunk if larger) onto the
// primary screen.
QRect pulledOnScreen(const QRect& r);
// The same for one area (an MDI child within the main window's client area):
// r unchanged while a grip of it is inside area, else moved (and shrunk) in.
QRect pulledInto(const QRect& r, const QRect& area);

} // namespace zelk
