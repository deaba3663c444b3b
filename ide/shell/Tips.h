// The sixteen tips of the day and the rotation through them across runs: option
// TipNum holds the index of the next tip to show.
#pragma once

#include <QString>

class COptionTable;

namespace Tips {

constexpr int kCount = 16;

// Tip index (0 to kCount - 1).
QString Text(int index);

// The index of the tip to show now: TipNum when it lies in 0..15, else 0. TipNum then
// becomes the index plus one (so 16 after the last tip) and is saved at once.
int TakeNext(COptionTable& options);

} // namespace Tips
