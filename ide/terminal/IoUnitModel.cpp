// The input-output unit's state and rules (see IoUnitModel.h).
#include "terminal/IoUnitModel.h"

#include "link/AccessLayer.h"

namespace zelk {

std::string_view ioFormatName(IoFormat f)
{
    switch (f) {
    case IoFormat::Signed: return "Signed";
    case IoFormat::Unsigned: return "Unsigned";
    case IoFormat::Hex: return "Hex";
    case IoFormat::Binary: return "Binary";
    case IoFormat::BCD: return "BCD";
    }
    return "Signed";
}

std::string IoUnitModel::format(uint8_t value, IoFormat f)
{
    const std::string bits = byteToBits(value);
    switch (f) {
    case IoFormat::Signed: return toInt(bits, IntMode::Signed);
    case IoFormat::Unsigned: return toInt(bits, IntMode::Unsigned);
    case IoFormat::Hex: return toHex(bits);
    case IoFormat::Binary: return bits;
    case IoFormat::BCD: return toBCD(bits);
    }
    return bits;
}

void IoUnitModel::Load()
{
    inFormat_ = outFormat_ = IoFormat::Signed;
    in_ = out_ = 0;
    inFresh_ = outFresh_ = false;
    ledPower_ = true;
    inTextShown_ = false;
    changed();
}

void IoUnitModel::setInFresh(uint8_t value)
{
    inFresh_ = value != 0;
    changed();
}

void IoUnitModel::setInDataRegister(uint8_t value)
{
    in_ = value;
    inTextShown_ = true;
    changed(true);
}

void IoUnitModel::setOutFresh(uint8_t value)
{
    outFresh_ = value != 0;
    changed();
}

void IoUnitModel::setOutDataRegister(uint8_t value)
{
    out_ = value;
    changed();
}

bool IoUnitModel::Enter(std::string_view text)
{
    std::string bits;
    switch (inFormat_) {
    case IoFormat::Signed: bits = fromInt(text, IntMode::Signed); break;
    case IoFormat::Unsigned: bits = fromInt(text, IntMode::Unsigned); break;
    case IoFormat::Hex: bits = fromHex(text); break;
    default: bits = fromBinary(text); break;
    }
    const int v = bitsToByte(bits);
    if (v < 0)
        return false;
    in_ = static_cast<uint8_t>(v);
    inFresh_ = true;
    sim_.poke(AccessLayer::IoInFresh, 1);
    sim_.poke(AccessLayer::IoInData, in_);
    changed();
    return true;
}

void IoUnitModel::Read()
{
    outFresh_ = false;
    sim_.poke(AccessLayer::IoOutFresh, 0);
    changed();
}

void IoUnitModel::setInFormat(IoFormat f)
{
    inFormat_ = f == IoFormat::BCD ? IoFormat::Signed : f;
    inTextShown_ = true;
    changed(true);
}

void IoUnitModel::setOutFormat(IoFormat f)
{
    outFormat_ = f == IoFormat::Binary ? IoFormat::Signed : f;
    changed();
}

void IoUnitModel::setLedPower(bool on)
{
    ledPower_ = on;
    changed();
}

} // namespace zelk
