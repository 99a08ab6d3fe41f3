// The runner's serial line (see StreamSerial.h).
#include "StreamSerial.h"

#include <poll.h>

namespace zelk {

void StreamSerial::sciTransmit(uint8_t byte)
{
    std::fputc(byte, out_);
}

bool StreamSerial::sciReceive(uint8_t& byte, bool& exhausted, bool wait)
{
    if (eof_) {
        exhausted = true;
        return false;
    }
    if (!wait) {
        // Only what is there already (the stream is unbuffered, so the
        // descriptor tells).
        pollfd p{fileno(in_), POLLIN, 0};
        if (poll(&p, 1, 0) <= 0 || !(p.revents & (POLLIN | POLLHUP)))
            return false;
    }
    std::fflush(out_);  // the prompt before the input it waits for
    const int c = std::fgetc(in_);
    if (c == EOF) {
        eof_ = true;
        exhausted = true;
        return false;
    }
    byte = static_cast<uint8_t>(c);
    return true;
}

} // namespace zelk
