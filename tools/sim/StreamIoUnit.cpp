// The runner's stream-backed I/O unit (see StreamIoUnit.h).
#include "StreamIoUnit.h"

namespace zelk {

void StreamIoUnit::setOutDataRegister(uint8_t value)
{
    std::fputc(value, out_);
}

void StreamIoUnit::beforeRead(int32_t /*address*/)
{
    if (eof_ || sim_.peek(0x6000) != 0)
        return;
    std::fflush(out_);  // the prompt before the input it asks for
    const int c = std::fgetc(in_);
    if (c == EOF) {
        eof_ = true;
        return;
    }
    sim_.poke(0x6001, static_cast<uint8_t>(c));
    sim_.poke(0x6000, 1);
}

} // namespace zelk
