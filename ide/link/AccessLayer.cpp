// The target access layer (see AccessLayer.h).
#include "link/AccessLayer.h"

#include <algorithm>

namespace zelk {

namespace {

class SilentNotifier final : public Notifier {
public:
    void message(std::string, std::string, MessageIcon) override {}
};

// Board mode before a serial port is attached (a headless host): the port
// never opens, so every board operation reports that once and does nothing.
class NoPort final : public BytePort {
public:
    bool isOpen() const override { return false; }
    bool open(std::string& errorText) override
    {
        errorText = "No serial port is attached";
        return false;
    }
    bool cts() override { return false; }
    int waiting() override { return 0; }
    void discard() override {}
    void send(const uint8_t*, size_t) override {}
    std::vector<uint8_t> take(int) override { return {}; }
    std::vector<uint8_t> peek() override { return {}; }
    bool waitFor(int, int, bool) override { return false; }
    void setThreshold(int) override {}
    int threshold() const override { return 0; }
};

} // namespace

AccessLayer::AccessLayer(Notifier* notifier, ViewHooks* hooks)
    : silentNotifier_(std::make_unique<SilentNotifier>())
{
    setNotifier(notifier);
    setHooks(hooks);
    noPort_ = std::make_unique<NoPort>();
    noBoard_ = std::make_unique<BoardTarget>(*this, *noPort_);
}

AccessLayer::~AccessLayer() = default;

void AccessLayer::setNotifier(Notifier* notifier)
{
    notifier_ = notifier ? notifier : silentNotifier_.get();
}

void AccessLayer::setHooks(ViewHooks* hooks)
{
    hooks_ = hooks ? hooks : &noHooks_;
}

void AccessLayer::setMode(TargetMode mode)
{
    mode_ = mode;
    if (mode == TargetMode::Simulator)
        linkReady_ = true;
}

void AccessLayer::setBoard(Target* board)
{
    board_ = board;
}

Target& AccessLayer::target()
{
    if (mode_ == TargetMode::Simulator)
        return sim_;
    return board_ ? *board_ : *noBoard_;
}

bool AccessLayer::FindBoard()
{
    linkReady_ = target().findBoard();
    return linkReady_;
}

bool AccessLayer::readInto(int32_t address, uint8_t* out, int32_t count, bool codeWindow)
{
    if (count <= 0)
        return true;
    address &= 0xFFFF;
    Target& t = target();
    if (count <= 256) {
        linkReady_ = t.read(address, out, count, codeWindow);
        return linkReady_;
    }
    // Larger reads go in 256-byte exchanges; the destination changes only
    // when every one of them succeeded.
    std::vector<uint8_t> tmp(static_cast<size_t>(count));
    for (int32_t done = 0; done < count; done += 256) {
        const int n = static_cast<int>(std::min<int32_t>(256, count - done));
        if (!t.read((address + done) & 0xFFFF, tmp.data() + done, n, codeWindow)) {
            linkReady_ = false;
            return false;
        }
    }
    std::copy(tmp.begin(), tmp.end(), out);
    linkReady_ = true;
    return true;
}

void AccessLayer::InByte(int32_t address, uint8_t& value)
{
    if (!ensureLink())
        return;
    address &= 0xFFFF;
    if (simulatorMode() && ioActive() && (address == IoInFresh || address == IoInData) && sim_.ioUnit())
        sim_.ioUnit()->beforeRead(address);
    uint8_t v;
    if (readInto(address, &v, 1))
        value = v;
    reportStatus();
}

void AccessLayer::InBytes(int32_t address, std::vector<uint8_t>& buffer, int32_t count)
{
    if (!ensureLink())
        return;
    count = std::clamp<int32_t>(count, 0, 0x10000);
    std::vector<uint8_t> tmp(static_cast<size_t>(count));
    if (readInto(address, tmp.data(), count))
        buffer = std::move(tmp);
    reportStatus();
}

void AccessLayer::InCPU()
{
    if (!ensureLink())
        return;
    uint8_t b[9];
    if (readInto(0x0000, b, 9))
        regs.loadSaveArea(b);
    reportStatus();
}

void AccessLayer::InMemory()
{
    if (!ensureLink())
        return;
    for (int k = 0; k < 4; ++k) {
        if (!readInto((DisplayAddress + k * 256) & 0xFFFF, memoryBuffer.data() + k * 256, 256))
            break;
    }
    reportStatus();
}

void AccessLayer::InProgram()
{
    if (!ensureLink())
        return;
    readInto(codeWindow.base & 0xFFFF, codeWindow.bytes.data(), CodeWindow::Size, true);
    reportStatus();
}

void AccessLayer::InStack()
{
    if (simulatorMode()) {
        linkReady_ = true;
        sim_.read(regs.SP & 0xFFFF, stackBuffer.data(), static_cast<int>(stackBuffer.size()), false);
        reportStatus();
        return;
    }
    if (!ensureLink())
        return;
    readInto(regs.SP & 0xFFFF, stackBuffer.data(), static_cast<int32_t>(stackBuffer.size()));
    reportStatus();
}

void AccessLayer::InResetVector(int32_t& value)
{
    if (simulatorMode()) {
        value = sim_.peek(0xFFFE) << 8 | sim_.peek(0xFFFF);
        return;
    }
    std::vector<uint8_t> b;
    InBytes(0xFFFE, b, 2);
    if (linkReady_ && b.size() == 2)
        value = b[0] << 8 | b[1];
}

void AccessLayer::OutByte(int32_t address, uint8_t value)
{
    address &= 0xFFFF;
    if (IoUnit* io = sim_.ioUnit()) {
        switch (address) {
        case IoInFresh: io->setInFresh(value); break;
        case IoInData: io->setInDataRegister(value); break;
        case IoOutFresh: io->setOutFresh(value); break;
        case IoOutData: io->setOutDataRegister(value); break;
        default: break;
        }
    }
    if (!ensureLink())
        return;
    linkReady_ = target().write(address, &value, 1);
    reportStatus();
}

void AccessLayer::OutBytes(int32_t address, const uint8_t* data, int32_t count)
{
    if (!linkReady_ || count <= 0)
        return;
    if (simulatorMode()) {
        sim_.write(address, data, count);
        reportStatus();
        return;
    }
    Target& t = target();
    for (int32_t done = 0; done < count && linkReady_; done += 255) {
        const int n = static_cast<int>(std::min<int32_t>(255, count - done));
        linkReady_ = t.write((address + done) & 0xFFFF, data + done, n);
    }
    reportStatus();
}

void AccessLayer::OutBytes(int32_t address, const std::vector<uint8_t>& data, int32_t count)
{
    OutBytes(address, data.data(), std::min<int32_t>(count, static_cast<int32_t>(data.size())));
}

void AccessLayer::FlashErase()
{
    linkReady_ = target().erase();
}

void AccessLayer::Programm(int32_t address, const uint8_t* data, int32_t count)
{
    if (!ensureLink() || count <= 0)
        return;
    Target& t = target();
    for (int32_t done = 0; done < count && linkReady_; done += 255) {
        const int n = static_cast<int>(std::min<int32_t>(255, count - done));
        linkReady_ = t.program((address + done) & 0xFFFF, data + done, n);
    }
    reportStatus();
}

void AccessLayer::fillRegisterImage()
{
    if (simulatorMode()) {
        sim_.read(0x1000, registerImage.data(), 64, false);
        return;
    }
    std::vector<uint8_t> b;
    InBytes(0x1000, b, 64);
    if (linkReady_ && b.size() == 64)
        std::copy(b.begin(), b.end(), registerImage.begin());
}

void AccessLayer::fillCodeWindow(CodeWindow& window, int32_t base)
{
    base &= 0xFFFF;
    if (simulatorMode()) {
        sim_.read(base, window.bytes.data(), CodeWindow::Size, true);
        window.base = base;
        linkReady_ = true;
        return;
    }
    if (!ensureLink())
        return;
    if (readInto(base, window.bytes.data(), CodeWindow::Size, true))
        window.base = base;
    reportStatus();
}

} // namespace zelk
