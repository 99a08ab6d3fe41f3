// Reading and writing the "ZELK Tools" settings store.
#include "shell/Settings.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include <cmath>

namespace zelk {

namespace {

const QString kSettings = QStringLiteral("Settings/");
const QString kWindows = QStringLiteral("Windows/");

QString text(QSettings& s, const QString& key)
{
    return s.value(key).toString().trimmed();
}

bool readBool(QSettings& s, const QString& key, bool def)
{
    return parseBool(text(s, key), def);
}

// A decimal number within [lo, hi]; anything else gives def.
double readNumber(QSettings& s, const QString& key, double def, double lo, double hi)
{
    bool ok = false;
    double v = text(s, key).toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < lo || v > hi)
        return def;
    return v;
}

int readInt(QSettings& s, const QString& key, int def, int lo, int hi)
{
    bool ok = false;
    int v = text(s, key).toInt(&ok);
    return ok && v >= lo && v <= hi ? v : def;
}

QString numberText(double v)
{
    return QString::number(v, 'g', 7);  // single precision, as stored
}

FontRecord readFont(QSettings& s, const QString& prefix, const FontRecord& def)
{
    FontRecord f;
    QString name = text(s, kSettings + prefix + "Name");
    f.name = name.isEmpty() ? def.name : name;
    f.size = readNumber(s, kSettings + prefix + "Size", def.size, 1, 500);
    f.bold = readBool(s, kSettings + prefix + "Bold", def.bold);
    f.italic = readBool(s, kSettings + prefix + "Italic", def.italic);
    return f;
}

void writeFont(QSettings& s, const QString& prefix, const FontRecord& f)
{
    s.setValue(kSettings + prefix + "Name", f.name);
    s.setValue(kSettings + prefix + "Size", numberText(f.size));
    s.setValue(kSettings + prefix + "Bold", boolText(f.bold));
    s.setValue(kSettings + prefix + "Italic", boolText(f.italic));
}

} // namespace

bool parseBool(const QString& t, bool def)
{
    QString v = t.trimmed().toLower();
    if (v == "true" || v == "1" || v == "-1")
        return true;
    if (v == "false" || v == "0")
        return false;
    return def;
}

QString boolText(bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); }

QFont toQFont(const FontRecord& f, bool fixedFallback)
{
    QFont q(f.name);
    q.setPointSizeF(f.size > 0 ? f.size : 9);
    q.setBold(f.bold);
    q.setItalic(f.italic);
    if (fixedFallback && !QFontDatabase::families().contains(f.name, Qt::CaseInsensitive)) {
        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        fixed.setPointSizeF(q.pointSizeF());
        fixed.setBold(f.bold);
        fixed.setItalic(f.italic);
        return fixed;
    }
    return q;
}

FontRecord fromQFont(const QFont& q)
{
    return {q.family(), q.pointSizeF() > 0 ? q.pointSizeF() : 9, q.bold(), q.italic()};
}

QString fontStyleText(const FontRecord& f)
{
    if (f.bold && f.italic)
        return QStringLiteral("Bold Italic");
    if (f.bold)
        return QStringLiteral("Bold");
    if (f.italic)
        return QStringLiteral("Italic");
    return QStringLiteral("Regular");
}

double rightColumnX(double w)
{
    double x = w - 5200;
    return x < 5200 ? 5200 : x;
}

TwipsRect defaultPlacementTwips(const QString& p, double w, double h)
{
    const double x = rightColumnX(w);
    if (p == "RegCPU") return {x, 0, 2600, 2450};
    if (p == "RegPorts") return {0, 0, 2600, 2730};
    if (p == "RegTimer") return {0, 0, 2600, 5000};
    if (p == "RegPA") return {0, 0, 2600, 950};
    if (p == "RegSCI") return {0, 0, 2600, 1700};
    if (p == "RegSPI") return {0, 0, 2600, 1200};
    if (p == "RegAD") return {0, 0, 2600, 1700};
    if (p == "RegOther") return {0, 0, 2600, 1700};
    if (p == "RegPIA") return {0, 0, 2600, 1450};
    if (p == "DisAsm") return {0, 0, x, h};
    if (p == "Stack") return {x, 2450, 2600, h - 2450};
    if (p == "Watch") return {x + 2600, 0, 2600, 2450};
    if (p == "Label") return {x + 2600, 2450, 2600, h - 2450};
    if (p == "Pins") return {2600, 0, 6600, 4300};
    if (p == "Serial") return {0.1 * w, 0.1 * h, 0.8 * w, 0.8 * h};
    // The memory window's grid is 36 columns wide: about 9000 twips shows it all.
    if (p == "Memory") return {0, 0, 9300, 4800};
    return {0, 0, w / 2, h / 2};
}

SettingsStore::SettingsStore()
    : own_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("ZELK Tools"))),
      s_(own_.get())
{
}

SettingsStore::SettingsStore(QSettings* s) : s_(s) {}

SettingsStore::~SettingsStore() = default;

AppSettings SettingsStore::load()
{
    AppSettings d;  // defaults
    AppSettings a;
    QSettings& s = *s_;
    a.toolbar = readBool(s, kSettings + "Toolbar", d.toolbar);
    a.statusBar = readBool(s, kSettings + "StatusBar", d.statusBar);
    a.codeOn = readBool(s, kSettings + "CodeOn", d.codeOn);
    a.includeSym = readBool(s, kSettings + "IncludeSym", d.includeSym);
    a.hexTerminal = readBool(s, kSettings + "HexTerminal", d.hexTerminal);
    a.comPort = readInt(s, kSettings + "COMPort", d.comPort, 1, 4);
    a.comDevice = text(s, kSettings + "COMDevice");
    a.baudRate = readInt(s, kSettings + "BaudRate", d.baudRate, 1200, 4000000);
    a.screenFont = readFont(s, "ScreenFont", d.screenFont);
    a.printFont = readFont(s, "PrintFont", d.printFont);
    a.simEnabled = readBool(s, kSettings + "SimEnabled", d.simEnabled);
    a.historySteps = readInt(s, kSettings + "HistorySteps", d.historySteps, 0, 10000000);
    a.eClockHz = readInt(s, kSettings + "EClock", d.eClockHz, 1000, 8000000);
    a.speedPercent = readInt(s, kSettings + "SpeedPercent", d.speedPercent, 0, 100000);
    a.simulatePeripherals = readBool(s, kSettings + "SimulatePeripherals", d.simulatePeripherals);
    return a;
}

void SettingsStore::save(const AppSettings& a)
{
    QSettings& s = *s_;
    s.setValue(kSettings + "Toolbar", boolText(a.toolbar));
    s.setValue(kSettings + "StatusBar", boolText(a.statusBar));
    s.setValue(kSettings + "CodeOn", boolText(a.codeOn));
    s.setValue(kSettings + "IncludeSym", boolText(a.includeSym));
    s.setValue(kSettings + "HexTerminal", boolText(a.hexTerminal));
    s.setValue(kSettings + "COMPort", QString::number(a.comPort));
    s.setValue(kSettings + "COMDevice", a.comDevice);
    s.setValue(kSettings + "BaudRate", QString::number(a.baudRate));
    writeFont(s, "ScreenFont", a.screenFont);
    writeFont(s, "PrintFont", a.printFont);
    s.setValue(kSettings + "SimEnabled", QString::number(a.simEnabled ? 1 : 0));
    s.setValue(kSettings + "HistorySteps", QString::number(a.historySteps));
    s.setValue(kSettings + "EClock", QString::number(a.eClockHz));
    s.setValue(kSettings + "SpeedPercent", QString::number(a.speedPercent));
    s.setValue(kSettings + "SimulatePeripherals", QString::number(a.simulatePeripherals ? 1 : 0));
}

Placement SettingsStore::placement(const QString& prefix, const QRect& def, WindowState defState)
{
    QSettings& s = *s_;
    const QString k = kWindows + prefix;
    Placement p;
    p.state = static_cast<WindowState>(
        readInt(s, k + "State", static_cast<int>(defState), 0, 2));
    // Coordinates beyond a million twips (about 67,000 pixels) are not a
    // placement any screen can show: treat them as corrupt.
    constexpr double lim = 1e6;
    double l = readNumber(s, k + "Left", pixelsToTwips(def.left()), -lim, lim);
    double t = readNumber(s, k + "Top", pixelsToTwips(def.top()), -lim, lim);
    double w = readNumber(s, k + "Width", pixelsToTwips(def.width()), 1, lim);
    double h = readNumber(s, k + "Height", pixelsToTwips(def.height()), 1, lim);
    p.rect = QRect(twipsToPixels(l), twipsToPixels(t), std::max(1, twipsToPixels(w)),
                   std::max(1, twipsToPixels(h)));
    return p;
}

void SettingsStore::savePlacement(const QString& prefix, const Placement& p)
{
    QSettings& s = *s_;
    const QString k = kWindows + prefix;
    s.setValue(k + "State", QString::number(static_cast<int>(p.state)));
    s.setValue(k + "Left", numberText(pixelsToTwips(p.rect.left())));
    s.setValue(k + "Top", numberText(pixelsToTwips(p.rect.top())));
    s.setValue(k + "Width", numberText(pixelsToTwips(p.rect.width())));
    s.setValue(k + "Height", numberText(pixelsToTwips(p.rect.height())));
}

void SettingsStore::saveState(const QString& prefix, WindowState st)
{
    s_->setValue(kWindows + prefix + "State", QString::number(static_cast<int>(st)));
}

bool SettingsStore::hasPlacement(const QString& prefix)
{
    return s_->contains(kWindows + prefix + "Left");
}

QString SettingsStore::value(const QString& key, const QString& def)
{
    return s_->value(kSettings + key, def).toString();
}

void SettingsStore::setValue(const QString& key, const QString& v)
{
    s_->setValue(kSettings + key, v);
}

void SettingsStore::sync() { s_->sync(); }

namespace {
constexpr int kGrip = 40;  // pixels that must stay visible to grab a window

bool showsGrip(const QRect& r, const QRect& area)
{
    const QRect vis = area.intersected(r);
    return vis.width() >= std::min(kGrip, r.width()) && vis.height() >= std::min(kGrip, r.height());
}
} // namespace

QRect pulledInto(const QRect& r, const QRect& a)
{
    if (a.isEmpty() || showsGrip(r, a))
        return r;
    QRect out = r;
    out.setWidth(std::min(r.width(), a.width()));
    out.setHeight(std::min(r.height(), a.height()));
    const int x = std::clamp(r.left(), a.left(), a.right() - out.width() + 1);
    const int y = std::clamp(r.top(), a.top(), a.bottom() - out.height() + 1);
    out.moveTo(x, y);
    return out;
}

QRect pulledOnScreen(const QRect& r)
{
    for (QScreen* sc : QGuiApplication::screens())
        if (showsGrip(r, sc->availableGeometry()))
            return r;
    QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? pulledInto(r, primary->availableGeometry()) : r;
}

} // namespace zelk
