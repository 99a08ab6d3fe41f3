// The input-output unit's window (see frmIOBOard.h).
#include "terminal/ui/frmIOBOard.h"

#include "shell/ViewRegistry.h"
#include "shell/frmMain.h"
#include "terminal/ui/LedWidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace zelk {

namespace {

// The main window's I/O unit: lives as long as the main window and is the
// access layer's IoUnit from the start.
class IoUnitHost : public QObject {
public:
    explicit IoUnitHost(frmMain& main) : QObject(&main), model(main.access().simulator())
    {
        setObjectName(QStringLiteral("IoUnitHost"));
        main.access().setIoUnit(&model);
    }
    IoUnitModel model;
};

const IoFormat kInFormats[] = {IoFormat::Signed, IoFormat::Unsigned, IoFormat::Hex, IoFormat::Binary};
const IoFormat kOutFormats[] = {IoFormat::Signed, IoFormat::Unsigned, IoFormat::Hex, IoFormat::BCD};

QString qs(const std::string& s) { return QString::fromStdString(s); }

QLineEdit* bitsBox(const char* name)
{
    auto* e = new QLineEdit;
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setAlignment(Qt::AlignCenter);
    return e;
}

} // namespace

IoUnitModel& frmIOBOard::unit(frmMain& main)
{
    auto* host = main.findChild<IoUnitHost*>(QStringLiteral("IoUnitHost"), Qt::FindDirectChildrenOnly);
    if (!host)
        host = new IoUnitHost(main);
    return host->model;
}

frmIOBOard::frmIOBOard(frmMain& main, QWidget* parent) : QWidget(parent), main_(main), unit_(unit(main))
{
    setObjectName(QStringLiteral("frmIOBOard"));
    setWindowTitle(QStringLiteral("Input-Output Unit"));

    // ---- In Unit
    auto* in = new QGroupBox(QStringLiteral("In Unit"));
    in->setObjectName(QStringLiteral("FrameIn"));
    TextIn_ = new QLineEdit;
    TextIn_->setObjectName(QStringLiteral("TextIn"));
    TextIn_->setMaxLength(12);
    ComboFormatIn_ = new QComboBox;
    ComboFormatIn_->setObjectName(QStringLiteral("ComboFormatIn"));
    for (IoFormat f : kInFormats)
        ComboFormatIn_->addItem(qs(std::string(ioFormatName(f))));
    TextInBinary_ = bitsBox("TextInBinary");
    ShapeInFresh_ = new LedWidget;
    ShapeInFresh_->setObjectName(QStringLiteral("ShapeInFresh"));
    CommandInput_ = new QPushButton(QStringLiteral("Enter"));
    CommandInput_->setObjectName(QStringLiteral("CommandInput"));
    auto* gi = new QGridLayout(in);
    gi->addWidget(new QLabel(QStringLiteral("Data Register")), 0, 0);
    gi->addWidget(TextIn_, 0, 1);
    gi->addWidget(ComboFormatIn_, 0, 2);
    gi->addWidget(new QLabel(QStringLiteral("Bits")), 1, 0);
    gi->addWidget(TextInBinary_, 1, 1);
    auto* pend = new QHBoxLayout;
    pend->addWidget(ShapeInFresh_);
    pend->addWidget(new QLabel(QStringLiteral("Data Pending")));
    pend->addStretch();
    gi->addLayout(pend, 2, 0, 1, 2);
    gi->addWidget(CommandInput_, 2, 2);
    gi->setRowStretch(3, 1);

    // ---- Out Unit
    auto* out = new QGroupBox(QStringLiteral("Out Unit"));
    out->setObjectName(QStringLiteral("FrameOut"));
    TextOut_ = bitsBox("TextOut");
    ComboFormatOut_ = new QComboBox;
    ComboFormatOut_->setObjectName(QStringLiteral("ComboFormatOut"));
    for (IoFormat f : kOutFormats)
        ComboFormatOut_->addItem(qs(std::string(ioFormatName(f))));
    TextOutBinary_ = bitsBox("TextOutBinary");
    ShapeOutFresh_ = new LedWidget;
    ShapeOutFresh_->setObjectName(QStringLiteral("ShapeOutFresh"));
    CommandRead_ = new QPushButton(QStringLiteral("Read"));
    CommandRead_->setObjectName(QStringLiteral("CommandRead"));
    CheckLEDPower_ = new QCheckBox(QStringLiteral("LED Power On"));
    CheckLEDPower_->setObjectName(QStringLiteral("CheckLEDPower"));
    auto* go = new QGridLayout(out);
    go->addWidget(new QLabel(QStringLiteral("Data Register")), 0, 0);
    go->addWidget(TextOut_, 0, 1);
    go->addWidget(ComboFormatOut_, 0, 2);
    go->addWidget(new QLabel(QStringLiteral("Bits")), 1, 0);
    go->addWidget(TextOutBinary_, 1, 1);
    auto* ready = new QHBoxLayout;
    ready->addWidget(ShapeOutFresh_);
    ready->addWidget(new QLabel(QStringLiteral("Data Ready")));
    ready->addStretch();
    go->addLayout(ready, 2, 0, 1, 2);
    go->addWidget(CommandRead_, 2, 2);
    // The eight LEDs, bit 7 on the left, each with its bit number below.
    auto* leds = new QGridLayout;
    leds->setHorizontalSpacing(6);
    for (int i = 0; i < 8; ++i) {
        auto* led = new LedWidget;
        led->setObjectName(QStringLiteral("ShapeLed%1").arg(i + 1));
        led->setFixedSize(22, 22);
        ShapeLed_[static_cast<size_t>(i)] = led;
        leds->addWidget(led, 0, i, Qt::AlignHCenter);
        auto* bit = new QLabel(QString::number(7 - i));
        bit->setAlignment(Qt::AlignHCenter);
        leds->addWidget(bit, 1, i, Qt::AlignHCenter);
    }
    go->addLayout(leds, 3, 0, 1, 3, Qt::AlignLeft);
    go->addWidget(CheckLEDPower_, 4, 0, 1, 3);

    CommandClose_ = new QPushButton(QStringLiteral("Close"));
    CommandClose_->setObjectName(QStringLiteral("CommandClose"));

    auto* units = new QHBoxLayout;
    units->addWidget(in);
    units->addWidget(out);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CommandClose_);
    auto* lay = new QVBoxLayout(this);
    lay->addLayout(units);
    lay->addLayout(buttons);

    connect(CommandInput_, &QPushButton::clicked, this, &frmIOBOard::CommandInputClick);
    connect(TextIn_, &QLineEdit::returnPressed, this, &frmIOBOard::CommandInputClick);
    connect(CommandRead_, &QPushButton::clicked, this, &frmIOBOard::CommandReadClick);
    connect(CheckLEDPower_, &QCheckBox::clicked, this, [this](bool on) {
        unit_.setLedPower(on);
        showLED();
    });
    connect(ComboFormatIn_, &QComboBox::activated, this, [this](int i) {
        if (i >= 0 && i < 4)
            unit_.setInFormat(kInFormats[i]);
        redraw();
    });
    connect(ComboFormatOut_, &QComboBox::activated, this, [this](int i) {
        if (i >= 0 && i < 4)
            unit_.setOutFormat(kOutFormats[i]);
        redraw();
    });
    connect(CommandClose_, &QPushButton::clicked, this,
            [this] { main_.closeView(QStringLiteral("mnuViewIOunit")); });

    unit_.setListener(this);
    rewriteInText_ = unit_.inTextShown();
    redraw();
    setFocusProxy(TextIn_);
}

frmIOBOard::~frmIOBOard()
{
    // The window unloads: the unit starts afresh when it is opened again.
    unit_.setListener(nullptr);
    unit_.Load();
}

void frmIOBOard::ioUnitChanged(bool rewriteInText)
{
    rewriteInText_ = rewriteInText_ || rewriteInText;
    if (redrawQueued_)
        return;
    redrawQueued_ = true;
    QMetaObject::invokeMethod(this, &frmIOBOard::redraw, Qt::QueuedConnection);
}

void frmIOBOard::setTextIfChanged(QLineEdit* e, const QString& text)
{
    if (e->text() != text)
        e->setText(text);
}

void frmIOBOard::redraw()
{
    redrawQueued_ = false;
    const auto indexOf = [](const IoFormat* list, IoFormat f) {
        for (int i = 0; i < 4; ++i)
            if (list[i] == f)
                return i;
        return 0;
    };
    if (ComboFormatIn_->currentIndex() != indexOf(kInFormats, unit_.inFormat()))
        ComboFormatIn_->setCurrentIndex(indexOf(kInFormats, unit_.inFormat()));
    if (ComboFormatOut_->currentIndex() != indexOf(kOutFormats, unit_.outFormat()))
        ComboFormatOut_->setCurrentIndex(indexOf(kOutFormats, unit_.outFormat()));
    if (rewriteInText_)
        setTextIfChanged(TextIn_, qs(unit_.inText()));
    rewriteInText_ = false;
    setTextIfChanged(TextInBinary_, qs(unit_.inBits()));
    setTextIfChanged(TextOut_, qs(unit_.outText()));
    setTextIfChanged(TextOutBinary_, qs(unit_.outBits()));
    ShapeInFresh_->setOn(unit_.inFresh());
    ShapeOutFresh_->setOn(unit_.outFresh());
    if (CheckLEDPower_->isChecked() != unit_.ledPower())
        CheckLEDPower_->setChecked(unit_.ledPower());
    showLED();
}

void frmIOBOard::showLED()
{
    for (int i = 0; i < 8; ++i)
        ShapeLed_[static_cast<size_t>(i)]->setOn(unit_.led(i));
}

void frmIOBOard::CommandInputClick()
{
    if (!unit_.Enter(TextIn_->text().toStdString())) {
        main_.message("Input Error", "Wrong data format or Value out of range", MessageIcon::Information);
        TextIn_->clear();
        return;
    }
    redraw();
}

void frmIOBOard::CommandReadClick()
{
    unit_.Read();
    redraw();
}

// Opens at the top left at its natural size the first time.
static const detail::ViewRegistrar ioUnitRegistrar(ViewInfo{
    QStringLiteral("frmIOBOard"), QStringLiteral("mnuViewIOunit"), QStringLiteral("IOunit"),
    [](frmMain& m) -> QWidget* { return new frmIOBOard(m); },
    [](int, int) { return QRect(0, 0, 600, 270); }});

ZELK_REGISTER_EXTENSION(ioUnitHost, [](frmMain& m) { frmIOBOard::unit(m); });

} // namespace zelk
