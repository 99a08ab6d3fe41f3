// Choice of the fault for each reply.
#include "FaultPlan.h"

namespace zelk::board {

Fault faultFromName(std::string_view name)
{
    if (name == "drop") return Fault::Drop;
    if (name == "corrupt") return Fault::Corrupt;
    if (name == "late") return Fault::Late;
    if (name == "split") return Fault::Split;
    if (name == "nak-erase") return Fault::NakErase;
    return Fault::None;
}

const char* faultName(Fault f)
{
    switch (f) {
    case Fault::Drop: return "drop";
    case Fault::Corrupt: return "corrupt";
    case Fault::Late: return "late";
    case Fault::Split: return "split";
    case Fault::NakErase: return "nak-erase";
    case Fault::None: break;
    }
    return "none";
}

void FaultPlan::arm(Fault f)
{
    if (f != Fault::None)
        armed_.push_back(f);
}

bool FaultPlan::draw(double rate)
{
    if (rate <= 0)
        return false;
    return std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < rate;
}

Fault FaultPlan::choose(bool isEraseReply)
{
    for (auto it = armed_.begin(); it != armed_.end(); ++it) {
        if (*it == Fault::NakErase && !isEraseReply)
            continue;
        const Fault f = *it;
        armed_.erase(it);
        return f;
    }
    if (isEraseReply && draw(rates_.nakErase))
        return Fault::NakErase;
    if (draw(rates_.drop)) return Fault::Drop;
    if (draw(rates_.corrupt)) return Fault::Corrupt;
    if (draw(rates_.late)) return Fault::Late;
    if (draw(rates_.split)) return Fault::Split;
    return Fault::None;
}

} // namespace zelk::board
