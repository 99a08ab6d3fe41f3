// Register window logic without widgets.
#include "views/RegisterView.h"

#include "link/Conversions.h"

namespace zelk {

namespace {

bool knownFormat(char f)
{
    return f == '$' || f == '%' || f == ' ';
}

int32_t imageByte(std::span<const uint8_t> image, int32_t offset)
{
    if (offset < 0 || static_cast<size_t>(offset) >= image.size())
        return 0;
    return image[static_cast<size_t>(offset)];
}

} // namespace

std::string ccrFlagText(uint8_t ccr)
{
    static constexpr char letters[] = "SXHINZVC";
    std::string text = "%";
    for (int bit = 7; bit >= 0; --bit)
        text += (ccr >> bit) & 1 ? letters[7 - bit] : '0';
    return text;
}

int32_t registerValue(const RegisterInfo& row, const CpuRegisters& cpu, std::span<const uint8_t> image)
{
    switch (row.cpuField) {
    case CpuField::A: return cpu.A;
    case CpuField::B: return cpu.B;
    case CpuField::D: return cpu.A * 256 + cpu.B;
    case CpuField::IX: return cpu.IX;
    case CpuField::IY: return cpu.IY;
    case CpuField::PC: return cpu.PC;
    case CpuField::SP: return cpu.SP;
    case CpuField::CCR: return cpu.CCR;
    case CpuField::None: break;
    }
    const int32_t base = row.window == RegisterWindow::PIA ? PiaBase : RegisterBlockBase;
    const int32_t offset = row.address - base;
    if (!row.isWord)
        return imageByte(image, offset);
    return imageByte(image, offset) * 256 + imageByte(image, offset + 1);
}

std::string registerValueText(const RegisterInfo& row, int32_t value, char format)
{
    if (row.flagForm())
        return ccrFlagText(static_cast<uint8_t>(value));
    return FormatValue(value, format, row.isWord);
}

RegisterEdit registerEdit(const RegisterInfo& row, int32_t value)
{
    RegisterEdit edit;
    edit.kind = row.write;
    switch (row.write) {
    case RegisterWrite::Byte:
        edit.address = row.address;
        edit.bytes = {static_cast<uint8_t>(value & 0xFF)};
        break;
    case RegisterWrite::Word:
        edit.address = row.address;
        edit.bytes = {static_cast<uint8_t>((value >> 8) & 0xFF), static_cast<uint8_t>(value & 0xFF)};
        break;
    case RegisterWrite::Record:
        edit.bytes = {static_cast<uint8_t>((value >> 8) & 0xFF), static_cast<uint8_t>(value & 0xFF)};
        break;
    case RegisterWrite::ReadOnly:
    case RegisterWrite::Nowhere:
        break;
    }
    return edit;
}

void applyRegisterEdit(const RegisterEdit& edit, MemoryPort& port, CpuRegisters& cpu)
{
    switch (edit.kind) {
    case RegisterWrite::Byte:
        port.OutByte(edit.address, edit.bytes.at(0));
        break;
    case RegisterWrite::Word:
        port.OutBytes(edit.address, edit.bytes, 2);
        break;
    case RegisterWrite::Record:
        cpu.PC = edit.bytes.at(0) * 256 + edit.bytes.at(1);
        break;
    case RegisterWrite::ReadOnly:
    case RegisterWrite::Nowhere:
        break;
    }
}

RegisterView::RegisterView(RegisterWindow window)
    : window_(window), rows_(registersOf(window))
{
    formats_.reserve(rows_.size());
    for (const RegisterInfo& r : rows_)
        formats_.push_back(r.format);
}

void RegisterView::setFormat(int row, char format)
{
    if (validRow(row) && knownFormat(format))
        formats_[static_cast<size_t>(row)] = format;
}

std::string RegisterView::valueText(int row, const CpuRegisters& cpu, std::span<const uint8_t> image) const
{
    if (!validRow(row))
        return {};
    const RegisterInfo& r = this->row(row);
    return registerValueText(r, registerValue(r, cpu, image), format(row));
}

std::vector<std::string> RegisterView::valueTexts(const CpuRegisters& cpu, std::span<const uint8_t> image) const
{
    std::vector<std::string> texts;
    texts.reserve(rows_.size());
    for (int i = 0; i < rowCount(); ++i)
        texts.push_back(valueText(i, cpu, image));
    return texts;
}

std::string RegisterView::dialogText(int row, const CpuRegisters& cpu, std::span<const uint8_t> image) const
{
    if (!validRow(row))
        return {};
    const RegisterInfo& r = this->row(row);
    if (r.flagForm())
        return FormatValue(registerValue(r, cpu, image), format(row), false);
    return valueText(row, cpu, image);
}

int32_t RegisterView::readAddress() const
{
    return info().source == RegisterSource::PiaImage ? PiaBase : RegisterBlockBase;
}

int32_t RegisterView::readCount() const
{
    switch (info().source) {
    case RegisterSource::PiaImage: return PiaSize;
    case RegisterSource::RegisterImage: return RegisterBlockSize;
    case RegisterSource::CpuRecord: break;
    }
    return 0;
}

bool RegisterView::refreshImage(MemoryPort& port, std::span<uint8_t> image)
{
    const int32_t count = readCount();
    if (count == 0)
        return refreshed(false);
    std::vector<uint8_t> buffer;
    port.InBytes(readAddress(), buffer, count);
    if (!port.linkReady())
        return refreshed(false);
    // The image keeps its size; the read fills what both hold.
    for (size_t i = 0; i < image.size() && i < buffer.size(); ++i)
        image[i] = buffer[i];
    return refreshed(true);
}

bool RegisterView::refreshed(bool ok)
{
    if (!ok)
        autoRefreshOn_ = false;
    return ok;
}

bool RegisterView::toggleAutoRefresh()
{
    if (info().hasAutoRefresh)
        autoRefreshOn_ = !autoRefreshOn_;
    return autoRefreshOn_;
}

ViewPopupState RegisterView::popupState(int hitRow, bool hasData) const
{
    ViewPopupState s;
    s.helpEnter = 95;
    s.helpHex = 96;
    s.helpBinary = 97;
    s.helpDecimal = 98;
    s.helpAutoRefresh = 99;
    if (validRow(hitRow) && hasData) {
        s.selectRow = hitRow;
        const bool formats = formatItemsEnabled(hitRow);
        s.hexEnabled = s.binaryEnabled = s.decimalEnabled = formats;
        checkFormat(s, format(hitRow));
        s.enterEnabled = !row(hitRow).readOnly();
    }
    if (info().hasAutoRefresh) {
        s.autoRefreshVisible = true;
        s.autoRefreshChecked = autoRefreshOn_;
        s.refreshWindowEnabled = !autoRefreshOn_;
    } else {
        s.autoRefreshVisible = false;
        s.setRefreshWindowEnabled = false;
    }
    return s;
}

} // namespace zelk
